#include "platform/mediaplayer/pcm16.h"

namespace platform {
namespace {

// Adding 1.5 * 2^23 to a float of magnitude below 2^22 leaves no bits for a fraction, so the
// addition itself rounds to the nearest integer, ties to even; subtracting it again gives the
// rounded value exactly. Unlike a call of lrint for every sample, the loop compiles to a few
// vector instructions.
constexpr float kRounder = 12582912.0f;
constexpr float kLimit = 32767.0f;

}  // namespace

void ToPcm16(std::span<const float> in, float gain, std::vector<std::int16_t>& out) {
  out.resize(in.size());
  const float scale = gain * kLimit;
  const float* from = in.data();
  std::int16_t* to = out.data();
  for (std::size_t i = 0, n = in.size(); i < n; ++i) {
    float value = from[i] * scale;
    value = value > kLimit ? kLimit : value;
    value = value < -kLimit ? -kLimit : value;
    value = value == value ? value : 0.0f;  // NaN
    to[i] = static_cast<std::int16_t>(static_cast<int>((value + kRounder) - kRounder));
  }
}

}  // namespace platform
