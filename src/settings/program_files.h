#pragma once
// Where the program's own files lie: all in the program folder. The paths are native; style
// names are Windows-1252 text and are converted for the file name.
#include <filesystem>
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// The section of the settings file that holds the program's own keys.
inline constexpr char kSettingsSection[] = "spin.deck";

// The settings file "config.dll".
std::filesystem::path SettingsFile(const RuntimeState& state);
// The directory list file "dirs.txt".
std::filesystem::path DirListFile(const RuntimeState& state);
// The folder "styles" that holds one ".dll" file per chat style.
std::filesystem::path StylesFolder(const RuntimeState& state);
// The file of one chat style, found as Windows finds it: the styles folder, the name and
// ".dll" when that file exists; otherwise the first file of the folder's listing whose name
// matches without regard to case (ASCII and Windows-1252 letters); otherwise the exact name,
// for a file yet to be made. So a style is never written into a second file whose name
// differs from an existing one's only in case.
std::filesystem::path StyleFile(const RuntimeState& state, const std::string& styleName);

}  // namespace spindeck
