#pragma once
// What plays when a song ends (the play mode and its commands), and the position timer's tick
// that keeps the song's length and position as mm:ss texts.
#include <chrono>
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

void ShuffleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void XshuffleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void ContCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void XcontCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void ReponCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void RepoffCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);

// The player reported that a song has played to its end.
void SongEnd(RuntimeState& state);

// One tick of the position timer: lbllen and lblcpos from the player.
void PositionTick(RuntimeState& state);

// How long, in wall time, until the playing song's position reaches the next point where its
// shown text changes (the position shows rounded to whole seconds, so it changes where it
// crosses a whole second and a half), as the position goes on at the player's rate. Zero when
// that point is reached already but the player has not reported it yet.
std::chrono::microseconds PositionChangeWait(const RuntimeState& state);

// Seconds as mm:ss, rounded to whole seconds (a half to the even neighbour); minutes keep
// growing past 59 ("125:07"). Empty for a value that is not a number.
std::string MinutesSeconds(double seconds);

}  // namespace spindeck
