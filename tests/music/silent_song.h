#pragma once
// A playable MP3 made in memory: silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz, mono),
// enough of them to last `seconds`. Cheaper than encoding a tone for tests that only need a
// file the player opens.
#include <string>

namespace spindeck::testing {

inline std::string SilentMp3(double seconds) {
  constexpr int kFrameBytes = 417;  // 144 * 128000 / 44100, no padding
  constexpr double kFrameSeconds = 1152.0 / 44100.0;
  std::string frame(kFrameBytes, '\0');
  frame[0] = '\xFF';
  frame[1] = '\xFB';
  frame[2] = '\x90';
  frame[3] = '\xC0';
  std::string song;
  for (double t = 0; t < seconds; t += kFrameSeconds) song += frame;
  return song;
}

}  // namespace spindeck::testing
