#include "aolsim/options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace aolsim {

const char kUsage[] =
    "usage: aolsim [--script] [--chatters NAME,NAME...] [--chatter-pause MIN-MAX]\n"
    "              [--companion-log FILE] [--companion PROGRAM ARGS...]\n"
    "Serves the chat client's windows on $SPINDECK_DESKTOP. With --script it reads\n"
    "tab-separated commands from standard input and writes events (see README.md);\n"
    "without, you chat at the terminal (type /help).\n"
    "  --chatters       these chatters join the room and talk now and then\n"
    "  --chatter-pause  seconds between two remarks of one chatter (default 20-60)\n"
    "  --companion      starts the program once the windows are served; when the client\n"
    "                   ends, the program gets SIGTERM and up to 5 s to end first\n"
    "  --companion-log  the program's output goes to FILE (appended)\n";

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    if (comma > start) parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

// "MIN-MAX" in seconds, decimals allowed, into milliseconds.
bool ParsePause(const char* text, int& minMs, int& maxMs) {
  // from_chars reads "." as the decimal mark whatever the user's locale.
  const char* const stop = text + std::strlen(text);
  double low = 0, high = 0;
  const auto first = std::from_chars(text, stop, low);
  if (first.ec != std::errc() || first.ptr == stop || *first.ptr != '-') return false;
  const auto second = std::from_chars(first.ptr + 1, stop, high);
  if (second.ec != std::errc() || second.ptr != stop || low < 0 || high < low || high > 86400)
    return false;
  minMs = static_cast<int>(low * 1000);
  maxMs = static_cast<int>(high * 1000);
  return true;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options.help = true;
    } else if (std::strcmp(arg, "--script") == 0) {
      options.script = true;
    } else if (std::strcmp(arg, "--chatters") == 0 && hasValue) {
      options.chatters = SplitCommas(argv[++i]);
    } else if (std::strcmp(arg, "--chatter-pause") == 0 && hasValue) {
      if (!ParsePause(argv[++i], options.minPauseMs, options.maxPauseMs)) {
        std::fprintf(stderr, "aolsim: --chatter-pause wants MIN-MAX seconds, not %s\n", argv[i]);
        return std::nullopt;
      }
    } else if (std::strcmp(arg, "--companion-log") == 0 && hasValue) {
      options.companionLog = argv[++i];
    } else if (std::strcmp(arg, "--companion") == 0 && hasValue) {
      options.companion.assign(argv + i + 1, argv + argc);  // the rest is the program's
      break;
    } else {
      std::fprintf(stderr, "aolsim: unknown option or missing value: %s\n", arg);
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace aolsim
