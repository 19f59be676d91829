// The float to 16-bit conversion against the plain definition: scale, limit, lrint.
#include "platform/mediaplayer/pcm16.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

std::int16_t Reference(float sample, float gain) {
  const float value = sample * gain * 32767.0f;
  if (std::isnan(value)) return 0;
  return static_cast<std::int16_t>(std::lrint(std::fmax(-32767.0f, std::fmin(32767.0f, value))));
}

TEST(Pcm16Test, RoundsTiesToEvenLimitsAndSilencesNan) {
  std::vector<float> in;
  // Every half step around zero and near both ends (the ties), beyond full scale, and odd values.
  for (int i = -200; i <= 200; ++i) in.push_back(static_cast<float>(i) * 0.5f / 32767.0f);
  for (int i = -200; i <= 200; ++i)
    in.push_back((32700.0f + static_cast<float>(i) * 0.5f) / 32767.0f);
  for (int i = -200; i <= 200; ++i)
    in.push_back((-32700.0f + static_cast<float>(i) * 0.5f) / 32767.0f);
  for (float v : {1.0f, -1.0f, 1.5f, -7.0f, 1e30f, -1e30f, 0.123456f, -0.987654f}) in.push_back(v);
  in.push_back(std::numeric_limits<float>::infinity());
  in.push_back(-std::numeric_limits<float>::infinity());
  in.push_back(std::numeric_limits<float>::quiet_NaN());
  for (float gain : {1.0f, 0.5f, 0.0f, 2.0f}) {
    std::vector<std::int16_t> out(3, 99);  // resized to the input
    platform::ToPcm16(in, gain, out);
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      ASSERT_EQ(out[i], Reference(in[i], gain)) << "sample " << in[i] << " gain " << gain;
    }
  }
}

}  // namespace
