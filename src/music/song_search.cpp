#include "src/music/song_search.h"

#include "src/state/chat_line.h"
#include "src/state/random_number.h"
#include "src/state/reply_fragments.h"
#include "src/state/screen_name.h"
#include "src/music/display_name.h"
#include "src/music/matching.h"
#include "src/music/number_text.h"
#include "src/music/stream_output.h"
#include "src/music/transport.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

std::string NoMatchReply(const std::string& text) {
  return "no matches found for <u>" + text + "</u>";
}

std::string PlayRangeReply(const RuntimeState& state) {
  return "type 'play' <b>01-" + TwoDigitCount(state.lstfound1.count());
}

void OpenDialogue(RuntimeState& state) {
  if (state.scan2) state.scan2->start();
}

void CloseDialogue(RuntimeState& state) {
  if (state.scan2) state.scan2->stop();
}

// "scroll": every match with a second's pause after it. The lists are read afresh at every
// step, since a search during a pause may refill them.
void ScrollMatches(RuntimeState& state) {
  for (int i = 0; i < state.lstfound1.count(); ++i) {
    Reply(state, "<b>" + DisplayName(state.lstfound1.entryAt(i)));
    Pause(1.0);
  }
  Reply(state, PlayRangeReply(state));
}

// "play N": the N-th match, or the range to choose from when there is no such match.
void PlayMatch(RuntimeState& state, double number) {
  const double n = RoundHalfEven(number - 1);
  if (n < 0 || n >= state.lstfound1.count()) {
    Reply(state, PlayRangeReply(state));
    return;
  }
  const int index = static_cast<int>(n);
  // A match that cannot play leaves the dialogue open for another choice.
  if (!StartSong(state, state.lstfound2.entryAt(index), state.lstfound1.entryAt(index), false)) {
    return;
  }
  Reply(state, "playing: <b>" + state.lblsong);
  CloseDialogue(state);
}

}  // namespace

bool StartSong(RuntimeState& state, const std::string& path, const std::string& entry,
               bool restartTimer) {
  state.player.Open(path);
  if (state.player.FileName().empty()) {
    Reply(state, "error: <u>" + DisplayName(entry) + "</u> cannot be played");
    return false;
  }
  if (restartTimer) {
    RestartPositionTimer(state);
  } else {
    SwitchPositionTimerOn(state);
  }
  NameStartedSong(state, entry);
  return true;
}

std::string NameStartedSong(RuntimeState& state, const std::string& entry) {
  state.lblsong = DisplayName(entry);
  state.player.SetStreamTitle(StreamTitleOf(entry));
  return state.lblsong;
}

int OpenRandomPlayable(RuntimeState& state, const StateList& paths, bool stopFirst) {
  for (int tries = 0; tries < kMaxPickTries; ++tries) {
    const int k = RandomNumber(state, paths.count()) - 1;
    if (stopFirst) state.player.Stop();
    state.player.Open(paths.entryAt(k));
    if (!state.player.FileName().empty()) return k;
  }
  Reply(state, "error: no playable files");
  return -1;
}

void SwitchPositionTimerOn(RuntimeState& state) {
  if (!state.tmrmp3.isActive()) state.tmrmp3.start();
}

void RestartPositionTimer(RuntimeState& state) {
  state.tmrmp3.stop();
  state.tmrmp3.start();
}

void playstr(RuntimeState& state, const std::string& text) {
  FindMatches(state, text);
  const int count = state.lstfound1.count();
  if (count == 1) {
    // The match is kept: a search handled in the pause refills the match lists.
    const std::string entry = state.lstfound1.entryAt(0);
    const std::string path = state.lstfound2.entryAt(0);
    Pause(0.5);
    if (!StartSong(state, path, entry, true)) return;
    Pause(0.5);
    Reply(state, "playing: <b>" + DisplayName(entry));
  } else if (count == 0) {
    Reply(state, NoMatchReply(text));
  } else {
    const std::string found =
        "<b>" + TwoDigitCount(count) + "</b> matches found for <u>" + text + "</u>";
    // The dialogue opens before its line goes out, so that an answer typed the moment the
    // line appears is heard; the line itself comes back as the program's own and is left out.
    OpenDialogue(state);
    SendStyled(state, EliteText(state, found) + BuildReplyFragments(state).middleSeparator +
                          EliteText(state, "scroll, cancel"));
  }
}

void strrand(RuntimeState& state, const std::string& text, bool tf) {
  FindMatches(state, text);
  const int count = state.lstfound1.count();
  if (count == 0) {
    Reply(state, NoMatchReply(text));
    if (tf) state.lblplaymode = "0";
    return;
  }
  const int r = OpenRandomPlayable(state, state.lstfound2, false);
  if (r < 0) return;
  SwitchPositionTimerOn(state);
  const std::string name = NameStartedSong(state, state.lstfound1.entryAt(r));
  Pause(0.5);
  Reply(state, (tf ? "shuffle: <b>" : "random: <b>") + name);
}

bool SelectionDialogueOpen(const RuntimeState& state) {
  return state.scan2 && state.scan2->scanning();
}

void SelectionDialogueLine(RuntimeState& state, const std::string& sender,
                           const std::string& text) {
  const std::string user = UserScreenName(state);
  if (user.empty() || sender != user) return;
  const SplitLine split = SplitChatText(text);
  if (split.word == "cancel" && split.argument.empty()) {
    Reply(state, "user cancelled action");
    CloseDialogue(state);
  } else if (split.word == "scroll" && split.argument.empty()) {
    ScrollMatches(state);
  } else if (split.word == "play" && !split.argument.empty()) {
    if (const auto number = NumericValue(split.argument)) PlayMatch(state, *number);
  }
}

}  // namespace spindeck
