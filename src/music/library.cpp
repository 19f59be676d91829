#include "src/music/library.h"

#include <algorithm>
#include <vector>

#include "platform/files/file_checks.h"
#include "platform/files/list_files.h"
#include "platform/text/cp1252.h"
#include "platform/text/zero_padded.h"
#include "src/music/number_text.h"
#include "src/output/replace_text.h"
#include "src/output/styled_message.h"
#include "src/settings/program_files.h"
#include "src/settings/settings_store.h"

namespace spindeck {
namespace {

// The folder on disk that a directory entry names. Entries typed in the chat are
// Windows-1252; entries written into dirs.txt by hand are usually UTF-8 already. The entry's
// own bytes are tried first, then its UTF-8 form. Empty when neither is a folder.
std::string FolderOnDisk(const std::string& entry) {
  if (entry.empty()) return {};
  if (platform::FolderExists(entry)) return entry;
  const std::string utf8 = platform::Cp1252ToUtf8(entry);
  if (utf8 != entry && platform::FolderExists(utf8)) return utf8;
  return {};
}

// The three lists of a library, built apart from the runtime state.
struct Library {
  std::vector<std::string> dirs;
  std::vector<std::string> paths;
  std::vector<std::string> entries;
};

// Lists the songs directly in each directory, in order. Turns no events.
Library ListSongs(std::vector<std::string> dirs) {
  Library library;
  library.dirs = std::move(dirs);
  for (const std::string& dir : library.dirs) {
    const std::string folder = FolderOnDisk(dir);
    if (folder.empty()) continue;
    for (const std::string& name : platform::ListFiles(folder, SongExtensions())) {
      if (library.entries.size() >= static_cast<std::size_t>(kMaxSongs)) return library;
      library.paths.push_back(folder + "/" + name);
      library.entries.push_back(PlaylistEntry(static_cast<int>(library.entries.size()) + 1, name));
    }
  }
  return library;
}

// Replaces the three lists with a built library. No event turns between the first clear and
// the last append, so no command ever sees the lists half replaced or out of step.
void InstallLibrary(RuntimeState& state, const Library& library) {
  state.lstdirs.clear();
  state.lstmultidir.clear();
  state.lstpl.clear();
  for (const auto& dir : library.dirs) state.lstdirs.append(dir);
  for (const auto& path : library.paths) state.lstmultidir.append(path);
  for (const auto& entry : library.entries) state.lstpl.append(entry);
}

std::string RefreshedReply(const RuntimeState& state) {
  return "<b>" + DirCountText(state) + "</b> dirs refeshed! <b>" + SongCountText(state) +
         "</b> files";
}

}  // namespace

const std::vector<std::string>& SongExtensions() {
  static const std::vector<std::string> extensions{".mp3", ".flac", ".ogg",
                                                   ".oga", ".opus", ".wav"};
  return extensions;
}

std::string PlaylistEntry(int number, const std::string& fileName) {
  std::string name = LowerText(platform::Utf8ToCp1252(fileName));
  // An MP3 loses every ".mp3" in its name, as it always has; the other songs lose their own
  // extension only (every extension but the first, ".mp3").
  const auto own = std::find_if(
      SongExtensions().begin() + 1, SongExtensions().end(), [&](const std::string& extension) {
        return name.size() >= extension.size() &&
               name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
      });
  if (own != SongExtensions().end()) {
    name.resize(name.size() - own->size());
  } else {
    name = ReplaceText(name, ".mp3", "");
  }
  return LowerText(TwoDigitCount(number) + ". ") + name;
}

void LibraryScan(RuntimeState& state) {
  const std::vector<std::string> dirsBefore = state.lstdirs.entries();
  StateList loaded;
  LoadList(DirListFile(state), loaded);
  // Reading dirs.txt lets events run. A scan or "adir" handled meanwhile has changed lstdirs
  // from a later reading of the file (or from the file it has just written): its directories
  // are the newer ones, and taking them keeps a directory added meanwhile.
  const bool changedMeanwhile = state.lstdirs.entries() != dirsBefore;
  InstallLibrary(state, ListSongs(changedMeanwhile ? state.lstdirs.entries() : loaded.entries()));
}

void LoadLibraryAtStartup(RuntimeState& state) {
  LibraryScan(state);
}

std::string DirCountText(const RuntimeState& state) {
  return TwoDigitCount(state.lstdirs.count());
}

std::string SongCountText(const RuntimeState& state) {
  return platform::ZeroPadded(std::to_string(state.lstpl.count()), 3);
}

void RefCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  LibraryScan(state);
  Reply(state, RefreshedReply(state));
}

void AdirCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  // The directory must exist before anything changes: no list and no file is touched else.
  if (FolderOnDisk(argument).empty()) {
    Reply(state, "error: <u>" + argument + "</u> is not a directory");
    return;
  }
  state.lstdirs.append(argument);
  SaveList(DirListFile(state), state.lstdirs);
  LibraryScan(state);
  Reply(state, RefreshedReply(state));
}

void DirsCommand(RuntimeState& state, const std::string&, const ReplyFragments&) {
  Reply(state,
        "<b>" + DirCountText(state) + "</b> dirs and <b>" + SongCountText(state) + "</b> files");
}

}  // namespace spindeck
