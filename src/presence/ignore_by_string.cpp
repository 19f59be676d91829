#include "src/presence/ignore_by_string.h"

#include <array>

#include "src/aol/room_members.h"
#include "src/state/random_number.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/replace_text.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

constexpr std::array<const char*, 5> kTaunts = {
    "shut your penis sucker!",      "ok thats enough asshole", "shut up already.. god",
    "yeah... ok.... no one cares!", "poof... you're gone!",
};
constexpr char kUnignoreText[] = "ok asshole you can talk.";

}  // namespace

void xByString(RuntimeState& state, const std::string& name, bool x, const ReplyFragments& f) {
  state.lstfound.clear();
  state.lstsn.clear();
  ListRoomMembers(state.lstsn, false);
  const std::string piece = LowerText(name);
  for (const auto& member : state.lstsn.entries()) {
    if (LowerText(member).find(piece) != std::string::npos) state.lstfound.append(member);
  }
  if (state.lstfound.count() > 1) {
    Reply(state, "multiple strings found!");
    return;
  }
  if (state.lstfound.count() == 0) {
    Reply(state, "no strings found for <u>" + name + "</u>");
    return;
  }
  const std::string target = state.lstfound.entryAt(0);
  ToggleIgnore(target, x);
  Pause(1.0);
  const std::string named = EliteText(state, "<u>" + LowerText(target) + "</u>");
  if (x) {
    SendStyled(state, named + f.middleSeparator + kTaunts[RandomNumber(state, 5) - 1]);
  } else {
    SendStyled(state, named + f.middleSeparator + EliteText(state, kUnignoreText));
  }
}

void XCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f) {
  if (!argument.empty()) xByString(state, argument, true, f);
}

void UnxCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f) {
  if (!argument.empty()) xByString(state, argument, false, f);
}

}  // namespace spindeck
