#pragma once
// LAME, set up for the stream: a constant bit rate (128 kbit/s by default), joint stereo,
// always 44.1 kHz out whatever rate the audio comes in at (LAME resamples), no Xing/Info frame (a
// stream has no length). One encoder serves one input rate; a new rate needs a new encoder.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/mediaplayer/stream_encoder.h"

struct lame_global_struct;

namespace platform {

class Mp3StreamEncoder final : public StreamEncoder {
 public:
  static constexpr long kOutputRate = 44100;
  // At the options' bit rate and quality.
  Mp3StreamEncoder(long inputRate, const StreamOptions& options);
  // False when LAME refused the settings (an input rate it cannot resample).
  bool valid() const override { return lame_ != nullptr; }
  long inputRate() const override { return inputRate_; }

  // Encodes interleaved stereo samples at inputRate(), appending whole MP3 frames to `out`.
  void Encode(std::span<const std::int16_t> interleaved, std::vector<unsigned char>& out) override;
  // Appends what LAME still holds, padded to whole frames; call before dropping the encoder.
  void Flush(std::vector<unsigned char>& out) override;

 private:
  struct Closer {
    void operator()(lame_global_struct* lame) const;
  };
  std::unique_ptr<lame_global_struct, Closer> lame_;
  long inputRate_;
};

}  // namespace platform
