#pragma once
// The client's command line:
//   aolsim [--script] [--window] [--irc HOST[:PORT] [--tls] [--tls-ca FILE] [--sasl]
//          [--sasl-account NAME] [--sasl-optional] [--password-file FILE]] [--room NAME]...
//          [--chatters NAME,NAME...]
//          [--chatter-pause MIN-MAX] [--companion-log FILE] [--companion PROGRAM ARGS...]
#include <optional>
#include <string>
#include <vector>

namespace aolsim {

struct Options {
  bool script = false;
  bool window = false;  // the graphical client (Qt Widgets)
  bool help = false;
  std::vector<std::string> chatters;  // UTF-8, as typed
  int minPauseMs = 20000;             // between two remarks of one chatter
  int maxPauseMs = 60000;
  std::vector<std::string> companion;  // the program and its arguments; empty for none
  std::string companionLog;
  std::vector<std::string> rooms;  // opened at the start (UTF-8)
  // The IRC network the rooms live on; no host for none.
  std::string ircHost;
  int ircPort = 0;  // 0: the usual port (6697 with TLS, else 6667)
  bool tls = false;
  std::string tlsCa;
  bool sasl = false;
  bool saslOptional = false;
  std::string saslAccount;  // UTF-8; empty for the nick
  std::string passwordFile;
};

// The options, or nothing after a complaint on standard error.
std::optional<Options> ParseOptions(int argc, char** argv);

extern const char kUsage[];

}  // namespace aolsim
