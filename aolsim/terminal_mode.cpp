#include "aolsim/terminal_mode.h"

#include <cstdio>
#include <optional>

#include "aolsim/script_mode.h"
#include "platform/text/cp1252.h"
#include "platform/text/html_colour.h"
#include "platform/text/html_text.h"

namespace aolsim {
namespace {

const char kReset[] = "\x1b[0m";
const char kDefaultColour[] = "\x1b[39m";

std::string Rgb(unsigned value) {
  return "\x1b[38;2;" + std::to_string((value >> 16) & 0xFF) + ";" +
         std::to_string((value >> 8) & 0xFF) + ";" + std::to_string(value & 0xFF) + "m";
}

// The escape sequence for a font tag's colour attribute, or "" when it has none we know.
std::string FontColour(const std::string& tag) {
  const std::optional<unsigned> colour = platform::HtmlFontColour(tag);
  return colour ? Rgb(*colour) : "";
}

}  // namespace

std::string AnsiLine(const std::string& html) {
  std::vector<std::string> colours;  // open font tags, innermost last
  auto onTag = [&](const std::string& name, const std::string& tag) -> std::string {
    const bool closing = tag.size() > 1 && tag[1] == '/';
    if (name == "font") {
      if (!closing) {
        const std::string colour = FontColour(tag);
        colours.push_back(!colour.empty()   ? colour
                          : colours.empty() ? kDefaultColour
                                            : colours.back());
        return colours.back();
      }
      if (colours.empty()) return "";
      colours.pop_back();
      return colours.empty() ? kDefaultColour : colours.back();
    }
    if (name == "b") return closing ? "\x1b[22m" : "\x1b[1m";
    if (name == "i") return closing ? "\x1b[23m" : "\x1b[3m";
    if (name == "u") return closing ? "\x1b[24m" : "\x1b[4m";
    return "";
  };
  return platform::RenderHtml(html, onTag) + kReset;
}

void ShowEvent(const std::vector<std::string>& fields) {
  if (fields.empty()) return;
  std::string shown;
  if (fields[0] == "line" && fields.size() >= 4) {
    shown =
        "\x1b[2m[" + fields[1] + "]\x1b[0m \x1b[1m" + fields[2] + ":\x1b[0m " + AnsiLine(fields[3]);
  } else if (fields[0] == "keyword" && fields.size() >= 2) {
    shown = "\x1b[2m(keyword " + fields[1] + ")\x1b[0m";
  } else if (fields[0] == "ignore" && fields.size() >= 4) {
    shown = "\x1b[2m(" + fields[2] + (fields[3] == "1" ? " ignored in " : " heard again in ") +
            fields[1] + ")\x1b[0m";
  } else {
    return;
  }
  const std::string line = platform::Cp1252ToUtf8(shown) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

bool RunTerminalLine(ChatClient& client, const std::string& line) {
  if (line.empty()) return true;
  if (line[0] != '/' || line.rfind("//", 0) == 0) {
    const std::string text = line[0] == '/' ? line.substr(1) : line;
    const std::string sender = client.user().empty() ? "Guest" : client.user();
    if (!client.Say(sender, text)) std::fprintf(stderr, "(no room open: /room NAME)\n");
    return true;
  }
  const std::size_t space = line.find(' ');
  const std::string verb =
      line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
  const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
  if (verb == "help") {
    std::printf(
        "Type to talk as the user. /as NAME text: another chatter talks.\n"
        "/signon NAME  /signoff  /room NAME  /close NAME  /join NAME  /leave NAME\n"
        "/temp TEXT  /version V  /quit   (start a line with // to say a slash)\n"
        "On IRC (--irc) the others are real: /as, /join and /leave are refused, /room\n"
        "joins #NAME, /signon NAME changes the nick.\n");
    std::fflush(stdout);
    return true;
  }
  if (verb == "as") {
    const std::size_t gap = rest.find(' ');
    if (gap == std::string::npos) {
      std::fprintf(stderr, "(usage: /as NAME text)\n");
      return true;
    }
    return RunCommand(client, "say\t" + rest.substr(0, gap) + "\t" + rest.substr(gap + 1));
  }
  return RunCommand(client, rest.empty() ? verb : verb + "\t" + rest);
}

}  // namespace aolsim
