#pragma once
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// The styled message composer: wraps a reply (which may hold HTML) in the current chat style
// and sends it as one chat line through the chat client. Style fields are read afresh.
void SendStyled(RuntimeState& state, const std::string& reply);

// The line SendStyled sends, without sending it.
std::string ComposeStyled(const RuntimeState& state, const std::string& reply);

// The common reply: the whole text passed through the elite filter, then styled and sent.
void Reply(RuntimeState& state, const std::string& text);

}  // namespace spindeck
