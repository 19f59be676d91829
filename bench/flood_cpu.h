#pragma once
// Other chatters flood the room for 10 s at 500, 1,000 and 2,000 lines a second, with 40 of
// the user's one-reply commands spread among their lines: how many commands the program
// answers (each must be), how far the chat client falls behind its input, and the CPU share
// of a core that the program and the client each used meanwhile. Prints its figures.
#include <string>
#include <vector>

namespace spindeck::bench {

// False when something could not be measured (the reason is printed).
bool MeasureFlood(const std::string& songFolder, const std::vector<int>& linesPerSecond);

}  // namespace spindeck::bench
