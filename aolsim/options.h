#pragma once
// The client's command line:
//   aolsim [--script] [--chatters NAME,NAME...] [--chatter-pause MIN-MAX]
//          [--companion-log FILE] [--companion PROGRAM ARGS...]
#include <optional>
#include <string>
#include <vector>

namespace aolsim {

struct Options {
  bool script = false;
  bool help = false;
  std::vector<std::string> chatters;  // UTF-8, as typed
  int minPauseMs = 20000;             // between two remarks of one chatter
  int maxPauseMs = 60000;
  std::vector<std::string> companion;  // the program and its arguments; empty for none
  std::string companionLog;
};

// The options, or nothing after a complaint on standard error.
std::optional<Options> ParseOptions(int argc, char** argv);

extern const char kUsage[];

}  // namespace aolsim
