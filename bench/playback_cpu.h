#pragma once
// Whole-process CPU time of playing a song into the PulseAudio server that PULSE_SERVER
// names: the program's media player against mpg123 playing the same file into the same sink,
// with mpg123's bare decoding as the floor; for the other formats against paplay. Prints its
// figures.
#include <string>

namespace spindeck::bench {

// False when something could not be measured (the reason is printed).
bool MeasurePlaybackCpu(const std::string& song, double songSeconds);

// The same for a song of another format (FLAC, Opus) against paplay playing the same file into
// the same sink at the same time; `format` names it in the figures.
bool MeasureFormatPlaybackCpu(const std::string& song, double songSeconds,
                              const std::string& format);

}  // namespace spindeck::bench
