#pragma once
// CPU of the whole program while it plays a song into the PulseAudio server that PULSE_SERVER
// names, the chat client attached and the room quiet, against mpg123 playing the same file
// into the same sink. Prints its figures.
#include <string>

namespace spindeck::bench {

// `songFolder` holds the one song, of `songSeconds`. False when something could not be
// measured (the reason is printed).
bool MeasureProgramPlaybackCpu(const std::string& songFolder, const std::string& song,
                               double songSeconds);

}  // namespace spindeck::bench
