#pragma once
// The client's command line:
//   aolsim [--script] [--window [--window-at X,Y]] [--irc HOST[:PORT] [--tls] [--tls-ca FILE]
//   [--sasl]
//          [--sasl-account NAME] [--sasl-optional] [--password-file FILE]] [--room NAME]...
//          [--chatters NAME,NAME...]
//          [--chatter-pause MIN-MAX] [--companion-log FILE] [--companion PROGRAM ARGS...]
#include <optional>
#include <string>
#include <vector>

namespace aolsim {

// Where the window's frame goes: X pixels from the left edge of the screen's free area (from
// the right edge when written with a minus) and Y from its top (from its bottom with a minus),
// as X11's geometries count: "-0,0" is the top-right corner.
struct WindowPlace {
  int x = 0;
  int y = 0;
  bool fromRight = false;
  bool fromBottom = false;
  bool operator==(const WindowPlace&) const = default;
};

struct Options {
  bool script = false;
  bool window = false;                  // the graphical client (Qt Widgets)
  std::optional<WindowPlace> windowAt;  // none: where the window system puts it
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
