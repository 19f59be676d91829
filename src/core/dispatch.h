#pragma once
#include "src/state/chat_line.h"
#include "src/core/command_table.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// Handles one chat line of the room: builds the reply fragments, obeys only the user's own
// lines, and runs the first command of the table whose word equals the line's command word,
// when the argument fits that command's rule. Anything else is ignored without a reply.
void DispatchChatLine(RuntimeState& state, const CommandTable& table, const ChatLine& line);

// The same with the program's own command table.
void DispatchChatLine(RuntimeState& state, const ChatLine& line);

}  // namespace spindeck
