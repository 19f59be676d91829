#pragma once
// IRC messages as they travel on the wire: parsing a received line into its parts (IRCv3
// tags, prefix, command, parameters) and writing a line to send. Text from the network is
// hostile: parsing never fails on odd bytes, it only gives up on a line that holds no command.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace aolsim::irc {

struct Message {
  std::map<std::string, std::string> tags;  // values with their escapes undone
  std::string prefix;                       // "nick!user@host" or a server name, without ':'
  std::string command;                      // upper case, or a three-digit numeric
  std::vector<std::string> params;          // the trailing parameter is the last one
};

// One received line without its LF (a CR before it is dropped too). Nothing for a line that
// holds no command.
std::optional<Message> ParseMessage(std::string_view line);

// The parameter at `index`, or "" when there are fewer.
const std::string& Param(const Message& m, std::size_t index);

// The nick of a prefix "nick!user@host"; the whole prefix when it names a server.
std::string NickOf(std::string_view prefix);

// A line to send, without its CR LF: the command and its parameters, the last one written as
// trailing (after ':') when it is empty, holds a blank or starts with ':'. CR, LF and NUL,
// which would end or cut the line, become blanks in the trailing parameter; in the command
// and a middle parameter, which end at a blank, they and blanks become '_'.
std::string FormatLine(std::string_view command, const std::vector<std::string>& params);

// Nicks and channel names compare without case, where "[]\~" are the upper case of "{}|^"
// (the usual case mapping; see server_features.h for the others).
std::string IrcLower(std::string_view text);

}  // namespace aolsim::irc
