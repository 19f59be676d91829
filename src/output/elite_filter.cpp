#include "src/output/elite_filter.h"

#include "src/output/styled_message.h"

namespace spindeck {

std::string EliteText(const RuntimeState& state, const std::string& text) {
  if (state.lblElitemode != "0") return text;
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c == 'a') {
      result += '\xE1';
    } else if (c == 'o') {
      result += '\xF8';
    } else {
      result += c;
    }
  }
  static const std::string kMangled = "<f\xF8nt c\xF8l\xF8r=#";
  static const std::string kRepaired = "<font color=#";
  std::size_t p = result.find(kMangled);
  while (p != std::string::npos) {
    result.replace(p, kMangled.size(), kRepaired);
    p = result.find(kMangled, p + kRepaired.size());
  }
  return result;
}

void EliteOn(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  state.lblElitemode = "0";
  Reply(state, "elite text: on");
}

void EliteOff(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  state.lblElitemode = "1";
  Reply(state, "elite text: off");
}

}  // namespace spindeck
