// Feeds arbitrary bytes to the IRC message parser, whose parts must be what IRC allows (a
// prefix and middle parameters without blanks, no middle parameter empty or starting with
// ':', at most 15 parameters), and writes lines from them that must read back with their
// parameters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "aolsim/irc/message.h"

namespace {

// The fields of the input between LF bytes.
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t lf = text.find('\n', start);
    fields.push_back(text.substr(start, lf == std::string::npos ? lf : lf - start));
    if (lf == std::string::npos) return fields;
    start = lf + 1;
  }
}

// Whether a parameter reads back as it was written.
bool Keepable(const std::string& param, bool last) {
  if (param.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
  return last || (!param.empty() && param.front() != ':' && param.find(' ') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto message = aolsim::irc::ParseMessage(text)) {
    if (message->command.empty() || message->command.find(' ') != std::string::npos ||
        message->prefix.find(' ') != std::string::npos || message->params.size() > 15) {
      __builtin_trap();
    }
    for (std::size_t i = 0; i + 1 < message->params.size(); ++i) {
      const std::string& middle = message->params[i];
      if (middle.empty() || middle.front() == ':' || middle.find(' ') != std::string::npos) {
        __builtin_trap();
      }
    }
  }
  // The first field names a command (in letters, as the client's own are); the others are
  // its parameters.
  std::vector<std::string> params = Fields(text);
  std::string command;
  for (unsigned char c : params.front()) command += static_cast<char>('A' + c % 26);
  if (command.empty()) command = "X";
  params.erase(params.begin());
  // A line holds at most 15 parameters; the 15th takes the rest of the line.
  if (params.size() > 15) params.resize(15);
  const std::string line = aolsim::irc::FormatLine(command, params);
  if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) __builtin_trap();
  const auto back = aolsim::irc::ParseMessage(line);
  if (!back || back->command != command || back->params.size() != params.size()) {
    __builtin_trap();
  }
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (Keepable(params[i], i + 1 == params.size()) && back->params[i] != params[i]) {
      __builtin_trap();
    }
  }
  return 0;
}
