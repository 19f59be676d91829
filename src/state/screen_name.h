#pragma once
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// The user's screen name as the chat client shows it, or an empty text.
std::string UserScreenName(RuntimeState& state);

}  // namespace spindeck
