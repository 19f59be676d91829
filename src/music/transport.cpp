#include "src/music/transport.h"

#include <system_error>

#include "src/state/random_number.h"
#include "src/music/display_name.h"
#include "src/music/number_text.h"
#include "src/music/song_search.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

const char kNoFiles[] = "you have no files/direcotires loaded";
const char kNoSong[] = "error: no song playing";
const char kNoSuchFile[] = "file does not exist";
const char kUseNumbers[] = "error: use numbers";

// The numeric value of a 0..100 volume argument, after replying when it is none.
std::optional<double> VolumePercent(RuntimeState& state, const std::string& argument) {
  const auto n = NumericValue(argument);
  if (!n || *n > 100 || *n < 0) {
    Reply(state, "error, use a number between 0 and 100");
    return std::nullopt;
  }
  return n;
}

void ChangeTempo(RuntimeState& state, const std::string& argument, double direction,
                 const std::string& replyStart) {
  if (argument.empty()) return;
  const auto n = NumericValue(argument);
  if (!n) {
    Reply(state, kUseNumbers);
    return;
  }
  // The player keeps the rate within what it can play; an absurd rate cannot harm it.
  state.player.SetRate(state.player.Rate() + direction * *n * 0.04);
  Reply(state, replyStart + EchoForm(argument) + "</b>");
}

// The checks that "ff" and "rw" share; the skip in seconds when they pass.
std::optional<double> SkipSeconds(RuntimeState& state, const std::string& argument) {
  if (argument.empty()) return std::nullopt;
  const auto n = NumericValue(argument);
  if (!n) {
    Reply(state, kUseNumbers);
    return std::nullopt;
  }
  if (state.lblsong.empty()) {
    Reply(state, kNoSong);
    return std::nullopt;
  }
  return n;
}

// "next" and "prev": moves the cursor by `sign` times 1 or the argument, and plays the entry
// there. A move past either end leaves the cursor where it was.
void WalkPlaylist(RuntimeState& state, const std::string& argument, int sign) {
  int cursor = state.lstpl.selectedIndex();
  if (cursor == -1) {
    cursor = 0;
    state.lstpl.setSelectedIndex(0);
  }
  double step = 1;
  if (!argument.empty()) {
    const auto n = NumericValue(argument);
    if (!n) return;
    step = *n;
  }
  const double target = RoundHalfEven(cursor + sign * step);
  if (target < 0 || target >= state.lstpl.count()) {
    Reply(state, kNoSuchFile);
    return;
  }
  state.lstpl.setSelectedIndex(static_cast<int>(target));
  playstr(state, state.lstpl.entryAt(static_cast<int>(target)));
}

}  // namespace

int PickPlayableSong(RuntimeState& state, bool stopFirst) {
  return OpenRandomPlayable(state, state.lstmultidir, stopFirst);
}

void PlayCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  if (state.lstpl.count() == 0) {
    Reply(state, kNoFiles);
    return;
  }
  const auto n = NumericValue(argument);
  if (!n) {
    playstr(state, argument);
    return;
  }
  if (*n > state.lstpl.count() || *n < 1) {
    Reply(state, kNoSuchFile);
    return;
  }
  const int i = static_cast<int>(RoundHalfEven(*n - 1));
  state.player.Stop();
  Pause(0.5);
  // A library scan handled in the pause may have left fewer songs.
  if (i >= state.lstpl.count()) {
    Reply(state, kNoSuchFile);
    return;
  }
  const std::string entry = state.lstpl.entryAt(i);
  if (!StartSong(state, state.lstmultidir.entryAt(i), entry, false)) return;
  Pause(0.5);
  Reply(state, "playing: <b>" + DisplayName(entry));
}

void RandomCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (state.lstpl.count() == 0) {
    Reply(state, kNoFiles);
    return;
  }
  if (!argument.empty()) {
    strrand(state, argument, false);
    return;
  }
  const int k = PickPlayableSong(state, true);
  if (k < 0) return;
  SwitchPositionTimerOn(state);
  const std::string name = NameStartedSong(state, state.lstpl.entryAt(k));
  Pause(0.5);
  Reply(state, "random: <b>" + name);
}

void PosCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f) {
  if (!argument.empty()) return;
  if (state.lblsong.empty()) {
    Reply(state, kNoSong);
    return;
  }
  // Only the song's name passes the elite filter: the times are sent as they are.
  SendStyled(state, EliteText(state, "<b>" + state.lblsong) + f.middleSeparator + "<b>" +
                        state.lblcpos + "</b>/<b>" + state.lbllen + "</b>");
}

void MvolCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  const auto n = VolumePercent(state, argument);
  if (!n) return;
  state.player.SetVolume(static_cast<int>(RoundHalfEven(*n * 25 - 2500)));
  Reply(state, "ccom volume set to <b>" + EchoForm(argument) + "</b>%");
}

void CvolCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  const auto n = VolumePercent(state, argument);
  if (!n) return;
  state.vol1.setVolume(static_cast<int>(RoundHalfEven(*n)));
  Reply(state, "computer volume set to <b>" + EchoForm(argument) + "</b>%");
}

void ItempoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  ChangeTempo(state, argument, 1, "tempo increased by <b>");
}

void DtempoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  ChangeTempo(state, argument, -1, "tempo decreased by <b>");
}

void TempoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  state.player.SetRate(1.0);
  Reply(state, "tempo set to normal level");
}

void FfCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  const auto n = SkipSeconds(state, argument);
  if (!n) return;
  const double target = state.player.CurrentPosition() + *n;
  if (target > state.player.Duration()) {
    Reply(state, "error: seconds skipped is greater than song length");
    return;
  }
  state.player.SetCurrentPosition(target);
  Reply(state, "skipped forward <b>" + EchoForm(argument) + "</b> seconds");
}

void RwCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  const auto n = SkipSeconds(state, argument);
  if (!n) return;
  const double target = state.player.CurrentPosition() - *n;
  if (target < 0) {
    Reply(state, "error: current position less than seconds skipped");
    return;
  }
  state.player.SetCurrentPosition(target);
  Reply(state, "skipped back <b>" + EchoForm(argument) + "</b> seconds");
}

void StopCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  state.player.Stop();
  Reply(state, "song stopped playing");
}

void RstCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  if (state.lblsong.empty()) {
    Reply(state, kNoSong);
    return;
  }
  playstr(state, EntryOfDisplayName(state.lblsong));
}

void PauseCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  if (state.lblsong.empty()) {
    Reply(state, kNoSong);
    return;
  }
  const int playState = state.player.PlayState();
  if (playState == 1) {
    state.player.Play();
    Reply(state, "song resumed playing, unpaused");
  } else if (playState == 2) {
    state.player.Pause();
    Reply(state, "current song paused");
  }
}

void NextCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  WalkPlaylist(state, argument, 1);
}

void PrevCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  WalkPlaylist(state, argument, -1);
}

void DelCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  const std::string path = state.player.FileName();
  if (path.empty()) {
    Reply(state, "error: no mp3 loaded");
    return;
  }
  // The player keeps playing what it has read; the file itself goes at once.
  std::error_code error;
  if (std::filesystem::remove(path, error) && !error) {
    Reply(state, "file deleted sucessfully!");
  } else {
    Reply(state, "error: file could not be deleted");
  }
}

void PlaySelectedEntry(RuntimeState& state) {
  const int selected = state.lstpl.selectedIndex();
  if (selected < 0) return;
  playstr(state, state.lstpl.entryAt(selected));
}

}  // namespace spindeck
