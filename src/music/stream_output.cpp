#include "src/music/stream_output.h"

#include <cstdio>

#include "src/output/elite_filter.h"
#include "src/output/styled_message.h"
#include "src/settings/program_files.h"
#include "src/settings/stream_settings.h"

namespace spindeck {
namespace {

// Text that shows as it is inside a chat line's HTML: an address may hold "&", and a
// hand-written one "<" or ">", none of which may open a tag or an entity.
std::string HtmlEscaped(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

void StartStreamAtStartup(RuntimeState& state) {
  std::string problem;
  const auto settings = ReadStreamSettings(SettingsFile(state), state.programFolder, problem);
  if (!settings) {
    if (!problem.empty()) {
      std::fprintf(stderr, "spin.deck: %s; not streaming\n", problem.c_str());
    }
    return;
  }
  state.streamListenUrl = settings->listenUrl;
  state.player.StartStream(settings->url, settings->password, settings->options);
}

void ListenCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  if (state.streamListenUrl.empty()) {
    Reply(state, "error: no stream");
    return;
  }
  // The address goes out as it is: the elite filter would change its letters.
  SendStyled(state, EliteText(state, "listen at: <u>") + HtmlEscaped(state.streamListenUrl) +
                        EliteText(state, "</u>"));
}

std::string StreamTitleOf(const std::string& entry) {
  std::size_t digits = 0;
  while (digits < entry.size() && entry[digits] >= '0' && entry[digits] <= '9') ++digits;
  if (digits == 0 || entry.compare(digits, 2, ". ") != 0) return entry;
  return entry.substr(digits + 2);
}

}  // namespace spindeck
