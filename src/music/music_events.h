#pragma once
#include "src/state/runtime_state.h"

namespace spindeck {

// Hooks the music up to its events: the player's end of a song, the position timer's tick,
// and the lines of scan2 (the selection dialogue). Call once the chat client is connected, so
// that scan2 exists.
void ConnectMusicEvents(RuntimeState& state);

}  // namespace spindeck
