#pragma once
// Starting another program of the desktop beside this one, without waiting for it.
#include <string>
#include <vector>

namespace platform {

// Starts the first of the named programs that is found on the PATH, detached (it outlives
// this program and is never waited for), with no arguments. Gives the name of the program
// started, or an empty text when none of them could be found or started. Never throws.
std::string StartFirstProgramFound(const std::vector<std::string>& names);

}  // namespace platform
