#pragma once
// Writes the client's events to standard output: one line each, fields separated by a tab,
// converted from Windows-1252 to UTF-8, flushed at once so that a reader sees it straight
// away.
#include <string>
#include <vector>

namespace aolsim {

// The event line without its newline. A line break inside a field would end the line early,
// so CR and LF inside fields are written as spaces.
std::string FormatEvent(const std::vector<std::string>& fields);

void PrintEvent(const std::vector<std::string>& fields);

}  // namespace aolsim
