#include "src/settings/program_files.h"

#include "platform/text/cp1252.h"

namespace spindeck {

std::filesystem::path SettingsFile(const RuntimeState& state) {
  return state.programFolder / "config.dll";
}

std::filesystem::path DirListFile(const RuntimeState& state) {
  return state.programFolder / "dirs.txt";
}

std::filesystem::path StylesFolder(const RuntimeState& state) {
  return state.programFolder / "styles";
}

std::filesystem::path StyleFile(const RuntimeState& state, const std::string& styleName) {
  return StylesFolder(state) / (platform::Cp1252ToUtf8(styleName) + ".dll");
}

}  // namespace spindeck
