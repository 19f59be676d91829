#include "aolsim/options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace aolsim {

const char kUsage[] =
    "usage: aolsim [--script] [--window [--window-at X,Y]] [--irc HOST[:PORT] [--tls] [--tls-ca "
    "FILE] [--sasl]\n"
    "              [--sasl-account NAME] [--sasl-optional] [--password-file FILE]] [--room "
    "NAME]... [--chatters NAME,NAME...]\n"
    "              [--chatter-pause MIN-MAX] [--companion-log FILE] [--companion PROGRAM ARGS...]\n"
    "Serves the chat client's windows on $SPINDECK_DESKTOP. With --script it reads\n"
    "tab-separated commands from standard input and writes events (see README.md);\n"
    "without, you chat at the terminal (type /help).\n"
    "  --window         show the client's windows on the screen (offscreen without a display)\n"
    "  --window-at      the window's place: pixels from the screen's left and top edges, from\n"
    "                   the right or bottom edge with a minus (-0,0: the top-right corner)\n"
    "  --irc            the rooms are channels (#NAME) on this IRC server; the screen name\n"
    "                   ($AOLSIM_NAME, at most 16 characters) is the nick\n"
    "  --tls            connect with TLS (port 6697 unless given), checking the certificate\n"
    "  --tls-ca         trust this CA certificate (PEM) too\n"
    "  --sasl           log in with SASL PLAIN; without the login the client does not go on,\n"
    "                   it tries again later\n"
    "  --sasl-account   the account to log in to (default: the nick)\n"
    "  --sasl-optional  go on without the login when it fails\n"
    "  --password-file  the server or SASL password is this file's first line (else it is\n"
    "                   $AOLSIM_PASSWORD); never on the command line\n"
    "  --room           open this room at the start (again for more; default Lobby)\n"
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

// "HOST" or "HOST:PORT"; an IPv6 address goes in brackets, "[::1]:6667".
bool ParseHost(const std::string& text, std::string& host, int& port) {
  std::size_t colon = text.rfind(':');
  if (!text.empty() && text[0] == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string::npos) return false;
    host = text.substr(1, close - 1);
    colon = close + 1 < text.size() && text[close + 1] == ':' ? close + 1 : std::string::npos;
    if (close + 1 < text.size() && colon == std::string::npos) return false;
  } else if (colon != std::string::npos && text.find(':') != colon) {
    colon = std::string::npos;  // a bare IPv6 address
    host = text;
  } else {
    host = text.substr(0, colon);
  }
  port = 0;
  if (colon != std::string::npos) {
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    const auto parsed = std::from_chars(first, last, port);
    if (parsed.ec != std::errc() || parsed.ptr != last || port < 1 || port > 65535) return false;
  }
  return !host.empty();
}

// One offset of "X,Y": digits after an optional sign; a minus counts from the far edge.
bool ParseOffset(std::string_view text, int& pixels, bool& fromFarEdge) {
  fromFarEdge = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  const char* last = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), last, pixels);
  return !text.empty() && text[0] != '-' && text[0] != '+' && parsed.ec == std::errc() &&
         parsed.ptr == last && pixels <= 100000;
}

bool ParseWindowPlace(std::string_view text, WindowPlace& place) {
  const std::size_t comma = text.find(',');
  return comma != std::string_view::npos &&
         ParseOffset(text.substr(0, comma), place.x, place.fromRight) &&
         ParseOffset(text.substr(comma + 1), place.y, place.fromBottom);
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
    } else if (std::strcmp(arg, "--window") == 0) {
      options.window = true;
    } else if (std::strcmp(arg, "--window-at") == 0 && hasValue) {
      WindowPlace place;
      if (!ParseWindowPlace(argv[++i], place)) {
        std::fprintf(stderr,
                     "aolsim: --window-at wants X,Y in pixels (-X, -Y from the right, "
                     "the bottom), not %s\n",
                     argv[i]);
        return std::nullopt;
      }
      options.windowAt = place;
    } else if (std::strcmp(arg, "--chatters") == 0 && hasValue) {
      options.chatters = SplitCommas(argv[++i]);
    } else if (std::strcmp(arg, "--chatter-pause") == 0 && hasValue) {
      if (!ParsePause(argv[++i], options.minPauseMs, options.maxPauseMs)) {
        std::fprintf(stderr, "aolsim: --chatter-pause wants MIN-MAX seconds, not %s\n", argv[i]);
        return std::nullopt;
      }
    } else if (std::strcmp(arg, "--irc") == 0 && hasValue) {
      if (!ParseHost(argv[++i], options.ircHost, options.ircPort)) {
        std::fprintf(stderr, "aolsim: --irc wants HOST or HOST:PORT, not %s\n", argv[i]);
        return std::nullopt;
      }
    } else if (std::strcmp(arg, "--tls") == 0) {
      options.tls = true;
    } else if (std::strcmp(arg, "--tls-ca") == 0 && hasValue) {
      options.tlsCa = argv[++i];
    } else if (std::strcmp(arg, "--sasl") == 0) {
      options.sasl = true;
    } else if (std::strcmp(arg, "--sasl-account") == 0 && hasValue) {
      options.saslAccount = argv[++i];
    } else if (std::strcmp(arg, "--sasl-optional") == 0) {
      options.saslOptional = true;
    } else if (std::strcmp(arg, "--password-file") == 0 && hasValue) {
      options.passwordFile = argv[++i];
    } else if (std::strcmp(arg, "--room") == 0 && hasValue) {
      options.rooms.push_back(argv[++i]);
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
  if (options.ircHost.empty() &&
      (options.tls || options.sasl || !options.tlsCa.empty() || !options.passwordFile.empty())) {
    std::fprintf(stderr, "aolsim: --tls, --tls-ca, --sasl and --password-file need --irc\n");
    return std::nullopt;
  }
  if (options.windowAt && !options.window) {
    std::fprintf(stderr, "aolsim: --window-at needs --window\n");
    return std::nullopt;
  }
  if (!options.sasl && (options.saslOptional || !options.saslAccount.empty())) {
    std::fprintf(stderr, "aolsim: --sasl-account and --sasl-optional need --sasl\n");
    return std::nullopt;
  }
  return options;
}

}  // namespace aolsim
