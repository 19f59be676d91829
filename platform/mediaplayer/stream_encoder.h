#pragma once
// What the stream's thread needs of an encoder: stereo 16-bit audio in at one rate, the
// stream's bytes out, in whole units of its format (MP3 frames, Ogg pages), so that any of them
// may be left out whole for a slow connection. One encoder serves one input rate.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/mediaplayer/stream_options.h"

namespace platform {

class StreamEncoder {
 public:
  virtual ~StreamEncoder() = default;

  // False when the encoder refused the settings (an input rate it cannot take).
  virtual bool valid() const = 0;
  virtual long inputRate() const = 0;
  // Encodes interleaved stereo samples at inputRate(), appending whole units to `out`.
  virtual void Encode(std::span<const std::int16_t> interleaved,
                      std::vector<unsigned char>& out) = 0;
  // Appends what the encoder still holds and ends its part of the stream; call before
  // dropping the encoder.
  virtual void Flush(std::vector<unsigned char>& out) = 0;
  // Whether titles travel inside this format's stream (then SetTitle carries them) rather
  // than by a request to the server.
  virtual bool carriesTitles() const { return false; }
  // The title (UTF-8, empty for none) for what is encoded from now on.
  virtual void SetTitle(const std::string& /*utf8*/) {}
  // Leaves the audio out of `bytes`, which this encoder produced, keeping whatever the stream
  // cannot go on without (the headers a listener's decoder needs).
  virtual void DropAudio(std::vector<unsigned char>& bytes) const { bytes.clear(); }
};

// The encoder for the options' format, at `inputRate`, starting with `utf8Title` where the
// format carries titles.
std::unique_ptr<StreamEncoder> MakeStreamEncoder(long inputRate, const StreamOptions& options,
                                                 const std::string& utf8Title);
// The rate the listeners get, whatever rate comes in.
long StreamOutputRate(StreamFormat format);

}  // namespace platform
