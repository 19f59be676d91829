#include "src/presence/away_mode.h"

namespace spindeck {

void IdleCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void XidleCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void ReCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
bool IsAway(const RuntimeState& state) {
  return state.tmrIdle.isActive();
}
void IdleTick(RuntimeState&) {}
void MessageLine(RuntimeState&, const std::string&, const std::string&) {}
void ConnectPresenceEvents(RuntimeState&) {}

}  // namespace spindeck
