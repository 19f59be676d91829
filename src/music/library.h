#pragma once
// The music library: the directories of dirs.txt, the full path of every song in them, and the
// numbered playlist that the user sees.
#include <string>
#include <vector>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// The song number is a 16-bit signed count: the library stops growing at this many songs.
constexpr int kMaxSongs = 32767;

// The endings of the song files the library takes, in lower case; matched without regard to case.
const std::vector<std::string>& SongExtensions();

// Reloads lstdirs from dirs.txt and lists every song file (SongExtensions) directly in each
// directory (matched and sorted without regard to case) into lstmultidir and lstpl. A directory
// that cannot be listed is skipped. The lists are built apart and then put in place at once, so a
// scan handled while another reads dirs.txt cannot mix its entries with the other's.
void LibraryScan(RuntimeState& state);

// The load at start-up: lstdirs from dirs.txt, then its songs when it names any. Sends nothing.
void LoadLibraryAtStartup(RuntimeState& state);

// The playlist entry of a song: number (at least two digits), ". " and the file name without
// its extension, in lower case (every ".mp3" is taken out of an MP3's name). `fileName` is the name
// on disk (UTF-8); the entry is program text.
std::string PlaylistEntry(int number, const std::string& fileName);

// The counts of the replies: directories with at least two digits, songs with at least three.
std::string DirCountText(const RuntimeState& state);
std::string SongCountText(const RuntimeState& state);

void RefCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void AdirCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);
void DirsCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&);

}  // namespace spindeck
