// Drives the rate resampler as the player does, with rates, jumps and pieces of audio from
// arbitrary bytes: changes of speed in the middle of a song, resets, and pieces of any size.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/mediaplayer/rate_resampler.h"

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::uint32_t Take(std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes && at_ < size_; ++i) value = value << 8 | data_[at_++];
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Rates the player asks for: a song's own rate times a speed from a quarter to four, or now
// and then any value up to 800 kHz (and below zero), whose output still fits in memory.
long RateFrom(Reader& in) {
  static constexpr long kCommon[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000};
  const std::uint32_t pick = in.Take(1);
  if (pick < 200) {
    const double speed = 0.25 + (in.Take(1) / 255.0) * 3.75;
    return std::lround(kCommon[pick % 8] * speed);
  }
  return static_cast<long>(in.Take(3) % 800001) - (pick == 255 ? 1000 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  platform::RateResampler resampler;
  std::vector<float> audio;
  for (int step = 0; step < 32 && !in.empty(); ++step) {
    switch (in.Take(1) % 4) {
      case 0: {
        const long from = RateFrom(in);
        resampler.Configure(from, RateFrom(in));
        break;
      }
      case 1:
        resampler.Reset();
        break;
      default: {
        const std::size_t frames = in.Take(2) % 4097;
        audio.assign(frames * 2, 0.0f);
        for (std::size_t i = 0; i < audio.size(); ++i) {
          audio[i] = (static_cast<float>(in.Take(1)) - 128.0f) / 128.0f;
        }
        const auto out = resampler.Process(audio.data(), frames);
        if (out.size() % 2 != 0) __builtin_trap();
        // Touch every sample handed back: a short buffer shows under the address checker.
        float sum = 0.0f;
        for (const float sample : out) sum += sample;
        if (std::isnan(sum) && frames > 0) __builtin_trap();
        break;
      }
    }
  }
  return 0;
}
