#pragma once
// Playing songs found by text: the search that plays one match or opens the selection
// dialogue, the random pick among matches, and the dialogue itself.
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// Plays the one playlist entry that contains `text`, says that none does, or lists the count
// of matches and opens the selection dialogue (scan2).
void playstr(RuntimeState& state, const std::string& text);

// Plays one of the entries that contain `text` at random. `tf` tells that the shuffle-by-text
// mode calls it: the reply then says "shuffle", and no match ends that mode.
void strrand(RuntimeState& state, const std::string& text, bool tf);

// One line that scan2 reported while the selection dialogue is open.
void SelectionDialogueLine(RuntimeState& state, const std::string& sender, const std::string& text);

// Whether the selection dialogue is open.
bool SelectionDialogueOpen(const RuntimeState& state);

// Opens the song at `path`, whose playlist entry is `entry`. When the player takes it, the
// position timer is switched on (restarted when `restartTimer`), lblsong names the song and the
// result is true. A file that cannot be played is told in the chat ("error: <u>" + display name
// + "</u> cannot be played"); lblsong and the timer stay as they were and the result is false.
bool StartSong(RuntimeState& state, const std::string& path, const std::string& entry,
               bool restartTimer);

// Opens random entries of `paths` until the player takes one, at most kMaxPickTries times
// (stopping the player before each when `stopFirst`). Gives the position opened, or -1 after
// replying "error: no playable files".
int OpenRandomPlayable(RuntimeState& state, const StateList& paths, bool stopFirst);

// Names the song that the player has just opened from the playlist entry `entry`: lblsong
// becomes its display name (which is given back) and the stream's title the entry without its
// number.
std::string NameStartedSong(RuntimeState& state, const std::string& entry);

// The position timer, switched on (left running when it runs) and restarted (off, then on).
void SwitchPositionTimerOn(RuntimeState& state);
void RestartPositionTimer(RuntimeState& state);

}  // namespace spindeck
