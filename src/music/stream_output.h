#pragma once
// The player's stream to an Icecast server, as the program drives it: started at start-up from
// the settings, named after each song as it starts, and told to the room by "listen".
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// Starts the stream when the settings file has a usable "stream" section; a section that
// cannot be used is told on standard error, once, and the program runs on without a stream.
// Sends nothing to the room.
void StartStreamAtStartup(RuntimeState& state);

// "listen": "listen at: <u>" + the listeners' address + "</u>", or "error: no stream".
void ListenCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);

// The title listeners see for a playlist entry: the entry without its number, as
// "05. modem hearts - fifty six k" gives "modem hearts - fifty six k".
std::string StreamTitleOf(const std::string& entry);

}  // namespace spindeck
