#pragma once
// A listener of an Icecast stream, as a player would be: it opens the stream's address over
// HTTP (without Icy metadata), decodes the MP3 (with libmpg123) or Ogg Opus it receives, as the
// server's content type says, and hands out the audio, mixed to one channel. The connection stays
// open between reads, so a test can follow one stream over time. Every wait is bounded and turns
// the event loop.
#include <QByteArray>
#include <QTcpSocket>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ogg_opus_feed.h"

struct mpg123_handle_struct;

namespace spindeck::testing {

class StreamListener {
 public:
  StreamListener();
  ~StreamListener();
  StreamListener(const StreamListener&) = delete;
  StreamListener& operator=(const StreamListener&) = delete;

  // Connects to http://HOST:PORT/MOUNT and waits for the server's answer: true when it
  // accepted the listener (200). With `icyTitles`, asks for the titles inside the stream
  // (Icy-MetaData: 1), as internet radio players do; icyTitle() then tells the latest.
  bool Connect(const std::string& url, int timeoutMs = 10000, bool icyTitles = false);
  // The next `seconds` of the stream as mono samples (-1..1) at rate(), waiting for them up to
  // `timeoutMs`; nothing when they did not all come in time or the stream ended first.
  std::optional<std::vector<float>> Read(double seconds, int timeoutMs);
  // Forgets what arrived so far unread, so that the next Read starts at what the server sends
  // from now on (after a change the test made).
  void Skip();
  // Whether the connection is still open (the server has not ended it).
  bool connected() const;
  // The stream's sample rate; 0 before the first audio was decoded.
  long rate() const { return rate_; }
  // The latest StreamTitle inside the stream, as its bytes came (nothing before the first).
  const std::optional<std::string>& icyTitle() const { return icyTitle_; }
  // The server's Content-Type for the stream.
  const std::string& contentType() const { return contentType_; }
  // For Ogg: the title in the latest stream's comments (nothing before the first header).
  std::optional<std::string> oggTitle() const {
    return ogg_ ? ogg_->title() : std::optional<std::string>();
  }

 private:
  // Decodes what arrived into samples_; false on a decoder fault.
  bool Decode();
  // Takes the Icy metadata blocks out of `bytes`, keeping their titles; the rest is audio.
  QByteArray WithoutMetadata(const QByteArray& bytes);

  QTcpSocket socket_;
  std::unique_ptr<mpg123_handle_struct, void (*)(mpg123_handle_struct*)> decoder_;
  std::unique_ptr<OggOpusFeed> ogg_;  // for an Ogg stream, instead of the MP3 decoder
  std::string contentType_;
  bool headerDone_ = false;
  QByteArray header_;
  std::vector<float> samples_;
  long rate_ = 0;
  // Icy metadata: audio bytes between blocks (0: none), what is left before the next block,
  // and the block being read (its length byte first).
  long metaInterval_ = 0;
  long audioLeft_ = 0;
  QByteArray block_;
  std::optional<std::string> icyTitle_;
};

// The frequency (Hz, 50..5000) with the most energy in `samples` at `rate`.
double StrongestFrequency(const std::vector<float>& samples, long rate);
// Root mean square of the samples, in units of full scale (silence is below 0.001, -60 dBFS).
double RmsOf(const std::vector<float>& samples);
// The lowest RMS of any hundredth of a second of `samples` at `rate`: a gap shows as a low one.
double QuietestRms(const std::vector<float>& samples, long rate);

}  // namespace spindeck::testing
