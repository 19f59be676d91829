#include "src/core/chat_line.h"

#include "src/output/replace_text.h"

namespace spindeck {

SplitLine SplitChatText(const std::string& text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string::npos) return {LowerText(text), {}};
  return {LowerText(text.substr(0, blank)), text.substr(blank + 1)};
}

}  // namespace spindeck
