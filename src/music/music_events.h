#pragma once
#include <chrono>

#include "src/state/runtime_state.h"

namespace spindeck {

// Hooks the music up to its events: the player's end of a song, the position timer's tick,
// and the lines of scan2 (the selection dialogue). Call once the chat client is connected, so
// that scan2 exists.
void ConnectMusicEvents(RuntimeState& state);

// The wait before the next position tick when the last `stalledTicks` ticks showed nothing new
// while the player said it was playing: `wait` (until the next shown second) at first, but at
// least 4 ms, 16 ms, 64 ms, and from the fourth on 250 ms. A position that stands still (a
// blocked output) so wakes the program at most 4 times a second.
std::chrono::microseconds StalledPositionWait(std::chrono::microseconds wait, int stalledTicks);

}  // namespace spindeck
