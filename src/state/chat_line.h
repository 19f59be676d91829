#pragma once
#include <string>

namespace spindeck {

// One line of the chat room as a scanner reports it.
struct ChatLine {
  std::string sender;  // screen name of the chatter
  std::string text;    // the line as typed
};

// A line's command word (lower case, before the first blank) and argument (everything after
// that blank, exactly as typed: not trimmed, case kept).
struct SplitLine {
  std::string word;
  std::string argument;
};

SplitLine SplitChatText(const std::string& text);

}  // namespace spindeck
