#pragma once
// Writes the client's events to standard output: one line each, fields separated by a tab,
// converted from Windows-1252 to UTF-8. The lines are buffered and flushed whenever the event
// loop is about to wait, so a reader sees every event as soon as the client has done what it
// was doing, and a busy room costs one write per turn of the loop rather than one per line.
#include <string>
#include <vector>

namespace aolsim {

// The event line without its newline. A line break inside a field would end the line early,
// so CR and LF inside fields are written as spaces.
std::string FormatEvent(const std::vector<std::string>& fields);

void PrintEvent(const std::vector<std::string>& fields);

// Flushes standard output each time the application's event loop is about to wait. Needs the
// application object; call once, before the loop runs.
void FlushEventsBeforeEachWait();

}  // namespace aolsim
