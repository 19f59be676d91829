#pragma once
// CPU of the whole program while it plays a song into the PulseAudio server that PULSE_SERVER
// names and streams it to a private Icecast server, against what a user would otherwise run
// for the same: ffmpeg encoding the song to the same server in real time plus mpg123 playing
// it into the same sink. Prints its figures.
#include <string>

namespace spindeck::bench {

// Makes a song of `songSeconds` in `folder` and measures. False when something could not be
// measured (the reason is printed); true, with a note, when ffmpeg or icecast2 is missing.
bool MeasureStreamCpu(const std::string& folder, double songSeconds);

}  // namespace spindeck::bench
