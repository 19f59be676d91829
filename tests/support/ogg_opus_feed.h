#pragma once
// Decodes an Ogg Opus stream fed in pieces as they arrive (chained streams included), as a
// listener's player does: mono samples at 48 kHz, and the latest TITLE of the streams'
// comments.
#include <ogg/ogg.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct OpusDecoder;

namespace spindeck::testing {

class OggOpusFeed {
 public:
  static constexpr long kRate = 48000;
  OggOpusFeed();
  ~OggOpusFeed();
  OggOpusFeed(const OggOpusFeed&) = delete;
  OggOpusFeed& operator=(const OggOpusFeed&) = delete;

  // Decodes what `bytes` completes, appending the audio to `samples`; false on a stream that
  // is not Ogg Opus or a packet the decoder refuses.
  bool Feed(const char* bytes, long length, std::vector<float>& samples);
  // The TITLE comment of the latest stream's header (empty when it has none); nothing before
  // the first header.
  const std::optional<std::string>& title() const { return title_; }

 private:
  bool Packet(const ogg_packet& packet, std::vector<float>& samples);

  ogg_sync_state sync_{};
  ogg_stream_state stream_{};
  bool streamOpen_ = false;
  int headersLeft_ = 0;  // of the current logical stream
  std::unique_ptr<OpusDecoder, void (*)(OpusDecoder*)> decoder_;
  std::optional<std::string> title_;
};

}  // namespace spindeck::testing
