#pragma once
// What a server tells of itself in its ISUPPORT (005) lines, with the usual values for what
// it does not tell: the longest nick and channel name, the characters that start a channel,
// the member prefixes of NAMES (such as @ and +), how nicks compare without case, and whether
// it watches nicks for its clients (MONITOR).
#include <cstddef>
#include <string>
#include <string_view>

#include "aolsim/irc/message.h"

namespace aolsim::irc {

enum class CaseMapping { kRfc1459, kStrictRfc1459, kAscii };

struct ServerFeatures {
  std::size_t nickLen = 0;  // 0 while the server has not said
  std::size_t channelLen = 200;
  std::string chanTypes = "#&";
  std::string prefixChars = "~&@%+";  // what may stand before a nick in NAMES
  CaseMapping caseMapping = CaseMapping::kRfc1459;
  bool monitor = false;  // MONITOR tells when a nick comes and goes
};

// Takes in what one 005 line says; other lines change nothing. Values out of reason (a nick
// length of 0 or over 512, an empty channel type list) are not taken.
void ApplyIsupport(const Message& m, ServerFeatures& features);

// The text in lower case as the server's case mapping folds it.
std::string IrcLower(std::string_view text, CaseMapping mapping);

}  // namespace aolsim::irc
