#include "src/core/dispatch.h"

#include "src/state/screen_name.h"

namespace spindeck {

void DispatchChatLine(RuntimeState& state, const CommandTable& table, const ChatLine& line) {
  const SplitLine split = SplitChatText(line.text);
  const ReplyFragments fragments = BuildReplyFragments(state);
  // Without a signed-on user nobody's line is a command, not even a line with no sender.
  const std::string user = UserScreenName(state);
  if (user.empty() || line.sender != user) return;
  for (const CommandRow& row : table) {
    if (row.word != split.word) continue;
    if (row.handler && ArgumentFits(row.rule, split.argument)) {
      row.handler(state, split.argument, fragments);
    }
    return;
  }
}

void DispatchChatLine(RuntimeState& state, const ChatLine& line) {
  static const CommandTable table = DefaultCommandTable();
  DispatchChatLine(state, table, line);
}

}  // namespace spindeck
