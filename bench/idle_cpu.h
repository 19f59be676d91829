#pragma once
// CPU use of the whole program while it waits, as a share of one core, beside an idle Qt
// widgets application measured over the same windows: with no chat client, with the
// stand-in chat client connected, and after a song was played and stopped. Prints its
// figures.
#include <string>

namespace spindeck::bench {

// `songFolder` holds the song that the last window plays first (song 1 of the library).
// False when something could not be measured (the reason is printed).
bool MeasureIdleCpu(const std::string& songFolder, int windowSeconds);

}  // namespace spindeck::bench
