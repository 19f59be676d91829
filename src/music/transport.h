#pragma once
// The chat commands that start, stop and steer playback, and the double click on a playlist
// entry.
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// How often a random pick may find a file that the player cannot open before it gives up.
constexpr int kMaxPickTries = 50;

void PlayCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void RandomCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void PosCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void MvolCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void CvolCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void ItempoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void DtempoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void TempoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void FfCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void RwCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void StopCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void RstCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void PauseCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void NextCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void PrevCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void DelCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);

// A double click on a playlist entry: plays the selected entry; nothing when none is.
void PlaySelectedEntry(RuntimeState& state);

// Picks random songs until the player opens one, at most kMaxPickTries times. Gives the
// picked position, or -1 after replying "error: no playable files".
int PickPlayableSong(RuntimeState& state, bool stopFirst);

}  // namespace spindeck
