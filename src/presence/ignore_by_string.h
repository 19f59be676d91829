#pragma once
// Ignoring a chatter, or no longer ignoring one, by a piece of the screen name.
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// Looks the piece up among the room's chatters (the user left out); when exactly one name
// holds it, works that chatter's ignore box in the chat client and says so in the room.
// `x` true ignores, false un-ignores. The reply joins the style fragments `f` that the line
// was handed with, whatever style a line handled in the pause may have chosen since.
void xByString(RuntimeState& state, const std::string& name, bool x, const ReplyFragments& f);

void XCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void UnxCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);

}  // namespace spindeck
