#include "aolsim/irc/message.h"

#include "aolsim/irc/server_features.h"

namespace aolsim::irc {
namespace {

// The value of a tag, its escapes undone: "\:" ";", "\s" blank, "\\" "\", "\r" CR, "\n" LF.
// A backslash before anything else is dropped, and one at the end is dropped.
std::string UnescapeTagValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      out += value[i];
      continue;
    }
    if (++i == value.size()) break;
    switch (value[i]) {
      case ':':
        out += ';';
        break;
      case 's':
        out += ' ';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      default:
        out += value[i];
        break;
    }
  }
  return out;
}

void ParseTags(std::string_view text, std::map<std::string, std::string>& tags) {
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(';', start), text.size());
    const std::string_view tag = text.substr(start, end - start);
    if (!tag.empty()) {
      const std::size_t equals = tag.find('=');
      if (equals == std::string_view::npos) {
        tags[std::string(tag)] = "";
      } else if (equals > 0) {
        tags[std::string(tag.substr(0, equals))] = UnescapeTagValue(tag.substr(equals + 1));
      }
    }
    start = end + 1;
  }
}

// The next word of the line from `at`, which then stands after it and the blanks behind it.
std::string_view NextWord(std::string_view line, std::size_t& at) {
  const std::size_t end = std::min(line.find(' ', at), line.size());
  const std::string_view word = line.substr(at, end - at);
  at = end;
  while (at < line.size() && line[at] == ' ') ++at;
  return word;
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text with CR, LF and NUL, which would end or cut the line, as `replacement`; with
// blanksToo, blanks as well.
std::string Sanitized(std::string_view text, bool blanksToo, char replacement) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\0' || (blanksToo && c == ' ')) c = replacement;
  }
  return out;
}

}  // namespace

std::optional<Message> ParseMessage(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  Message message;
  std::size_t at = 0;
  while (at < line.size() && line[at] == ' ') ++at;
  if (at < line.size() && line[at] == '@') {
    ++at;
    ParseTags(NextWord(line, at), message.tags);
  }
  if (at < line.size() && line[at] == ':') {
    ++at;
    message.prefix = std::string(NextWord(line, at));
  }
  const std::string_view command = NextWord(line, at);
  if (command.empty()) return std::nullopt;
  message.command.reserve(command.size());
  for (char c : command) message.command += Upper(c);
  while (at < line.size()) {
    if (line[at] == ':') {
      message.params.emplace_back(line.substr(at + 1));
      break;
    }
    // After 14 middle parameters, the rest of the line is the 15th, ':' or not.
    if (message.params.size() == 14) {
      message.params.emplace_back(line.substr(at));
      break;
    }
    message.params.emplace_back(NextWord(line, at));
  }
  return message;
}

std::string NickOf(std::string_view prefix) {
  return std::string(prefix.substr(0, prefix.find('!')));
}

std::string FormatLine(std::string_view command, const std::vector<std::string>& params) {
  // The command and the middle parameters end at a blank: any in them becomes '_', so that
  // no word moves into the next parameter.
  std::string line = Sanitized(command, true, '_');
  for (std::size_t i = 0; i < params.size(); ++i) {
    line += ' ';
    const std::string trailing = Sanitized(params[i], false, ' ');
    if (i + 1 == params.size() &&
        (trailing.empty() || trailing.front() == ':' || trailing.find(' ') != std::string::npos)) {
      line += ':';
      line += trailing;
    } else {
      // A middle parameter cannot start with ':' or be empty; either would shift the rest.
      std::string middle = Sanitized(params[i], true, '_');
      if (middle.empty() || middle.front() == ':') middle.insert(middle.begin(), '_');
      line += middle;
    }
  }
  return line;
}

const std::string& Param(const Message& m, std::size_t index) {
  static const std::string kNone;
  return index < m.params.size() ? m.params[index] : kNone;
}

std::string IrcLower(std::string_view text) {
  return IrcLower(text, CaseMapping::kRfc1459);
}

}  // namespace aolsim::irc
