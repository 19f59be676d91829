#pragma once
// Whole-process CPU time of playing a song into the PulseAudio server that PULSE_SERVER
// names: the program's media player against mpg123 playing the same file into the same sink,
// with mpg123's bare decoding as the floor. Prints its figures.
#include <string>

namespace spindeck::bench {

// False when something could not be measured (the reason is printed).
bool MeasurePlaybackCpu(const std::string& song, double songSeconds);

}  // namespace spindeck::bench
