#pragma once
// The away mode: "idle" with a reason, a pair of lines in the room once a minute while the
// user is away, messages left by the chatters, and "xidle" to come back.
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

void IdleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void XidleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void ReCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);

// Whether the user is away: the away timer is running.
bool IsAway(const RuntimeState& state);

// One minute more away: the counters advance and the two lines are sent.
void IdleTick(RuntimeState& state);

// A line of the room while away, from any chatter: a message left for the user is logged.
void MessageLine(RuntimeState& state, const std::string& sender, const std::string& text);

// Connects the away timer and the message scanner to the two handlers above.
void ConnectPresenceEvents(RuntimeState& state);

}  // namespace spindeck
