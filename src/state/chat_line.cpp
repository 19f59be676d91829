#include "src/state/chat_line.h"

#include "platform/text/letter_case.h"

namespace spindeck {

SplitLine SplitChatText(const std::string& text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string::npos) return {platform::LowerText(text), {}};
  return {platform::LowerText(text.substr(0, blank)), text.substr(blank + 1)};
}

}  // namespace spindeck
