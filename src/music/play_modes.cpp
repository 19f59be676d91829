#include "src/music/play_modes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "src/music/display_name.h"
#include "src/music/number_text.h"
#include "src/music/song_search.h"
#include "src/music/transport.h"
#include "src/output/pause.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

void SetMode(RuntimeState& state, const std::string& argument, const char* mode,
             const char* reply) {
  if (!argument.empty()) return;
  state.lblplaymode = mode;
  Reply(state, reply);
}

void ShuffleNext(RuntimeState& state) {
  const int picked = PickPlayableSong(state, false);
  if (picked < 0) return;
  SwitchPositionTimerOn(state);
  const std::string name = NameStartedSong(state, state.lstpl.entryAt(picked));
  Pause(0.5);
  Reply(state, "shuffle: <b>" + name);
}

// Continue mode: the entry after the selected one. After the last entry, and on an empty
// playlist, the playing simply stops. So it does at an entry that cannot play: playstr reports
// it, nothing plays that could end, and the cursor stays on it for a "next" past it.
void ContinueNext(RuntimeState& state) {
  if (state.lstpl.count() == 0) return;
  if (state.lstpl.selectedIndex() == -1) state.lstpl.setSelectedIndex(0);
  const int next = state.lstpl.selectedIndex() + 1;
  if (next >= state.lstpl.count()) return;
  state.lstpl.setSelectedIndex(next);
  playstr(state, state.lstpl.entryAt(next));
}

}  // namespace

void ShuffleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  state.lblplaymode = "1";
  Reply(state, "shuffle mode: on");
  if (argument.empty()) return;
  state.lblrand = argument;
  state.lblplaymode = "2";
}

void XshuffleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetMode(state, argument, "0", "shuffle mode: off");
}

void ContCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetMode(state, argument, "3", "continue mode: on");
}

void XcontCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetMode(state, argument, "0", "continue mode: off");
}

void ReponCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetMode(state, argument, "4", "repeat mode: on");
}

void RepoffCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetMode(state, argument, "0", "repeat mode: off");
}

void SongEnd(RuntimeState& state) {
  const std::string mode = state.lblplaymode;
  if (mode == "1") {
    ShuffleNext(state);
  } else if (mode == "2") {
    strrand(state, state.lblrand, true);
  } else if (mode == "3") {
    ContinueNext(state);
  } else if (mode == "4") {
    // A song that can no longer play is reported once; nothing plays, so nothing repeats.
    playstr(state, EntryOfDisplayName(state.lblsong));
  }
}

std::string MinutesSeconds(double seconds) {
  if (!std::isfinite(seconds)) return {};
  const double whole = RoundHalfEven(seconds);
  if (whole < 0 || whole > 1e12) return {};
  const auto total = static_cast<long long>(whole);
  char text[40];
  std::snprintf(text, sizeof text, "%02lld:%02lld", total / 60, total % 60);
  return text;
}

void PositionTick(RuntimeState& state) {
  // A value that cannot be shown leaves its text as it was, and the tick goes on.
  const std::string length = MinutesSeconds(state.player.Duration());
  if (!length.empty()) state.lbllen = length;
  const std::string position = MinutesSeconds(state.player.CurrentPosition());
  if (!position.empty()) state.lblcpos = position;
}

std::chrono::microseconds PositionChangeWait(const RuntimeState& state) {
  const double position = state.player.CurrentPosition();
  const double rate = state.player.Rate();
  if (!std::isfinite(position) || !(rate > 0)) return {};
  // The shown second changes on the far side of the next half: an exact half that rounds to
  // the even neighbour still shows the old second, and the caller's retry covers it.
  const double change = RoundHalfEven(position) + 0.5;
  const double seconds = std::clamp((change - position) / rate, 0.0, 3600.0);
  return std::chrono::microseconds(static_cast<long long>(std::ceil(seconds * 1e6)));
}

}  // namespace spindeck
