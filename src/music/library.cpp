#include "src/music/library.h"

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

void ScanDirectories(RuntimeState& state) {
  for (int d = 0; d < state.lstdirs.count(); ++d) {
    const std::string folder = FolderOnDisk(state.lstdirs.entryAt(d));
    if (folder.empty()) continue;
    for (const std::string& name : platform::ListFiles(folder, ".mp3")) {
      if (state.lstpl.count() >= kMaxSongs) return;
      state.lstmultidir.append(folder + "/" + name);
      state.lstpl.append(PlaylistEntry(state.lstpl.count() + 1, name));
    }
  }
}

std::string RefreshedReply(const RuntimeState& state) {
  return "<b>" + DirCountText(state) + "</b> dirs refeshed! <b>" + SongCountText(state) +
         "</b> files";
}

}  // namespace

std::string PlaylistEntry(int number, const std::string& fileName) {
  const std::string name = ReplaceText(platform::Utf8ToCp1252(fileName), ".mp3", "");
  return LowerText(TwoDigitCount(number) + ". " + name);
}

void LibraryScan(RuntimeState& state) {
  state.lstdirs.clear();
  state.lstmultidir.clear();
  state.lstpl.clear();
  LoadList(DirListFile(state), state.lstdirs);
  ScanDirectories(state);
}

void LoadLibraryAtStartup(RuntimeState& state) {
  LoadList(DirListFile(state), state.lstdirs);
  if (state.lstdirs.count() > 0) ScanDirectories(state);
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
