#pragma once

namespace spindeck {

// Waits the given number of seconds (fractions allowed) while the event loop keeps turning:
// chat lines, timer ticks and player events that arrive meanwhile are handled inside the
// wait. Time is measured with a monotonic clock, so a change of the wall clock (midnight, a
// clock adjustment) cannot shorten or stretch the wait.
void Pause(double seconds);

}  // namespace spindeck
