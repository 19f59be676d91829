#pragma once
// Float audio (full scale at +-1.0) to signed 16-bit samples, with a gain.
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// Scales every sample by `gain`, limits it to +-32767 and rounds it to the nearest integer,
// ties to even (as lrint does in the default rounding mode); NaN becomes 0. `out` is resized
// to the input's size.
void ToPcm16(std::span<const float> in, float gain, std::vector<std::int16_t>& out);

}  // namespace platform
