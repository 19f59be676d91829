#include "src/settings/program_files.h"

#include <system_error>

#include "platform/files/list_files.h"
#include "platform/text/letter_case.h"
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
  const std::string wanted = styleName + ".dll";
  const std::filesystem::path folder = StylesFolder(state);
  const std::filesystem::path exact = folder / platform::Cp1252ToUtf8(wanted);
  std::error_code error;
  if (std::filesystem::exists(exact, error)) return exact;
  // File names are compared as program text; a name with characters that Windows-1252 lacks
  // cannot be the one asked for (its conversion would turn them into "?").
  for (const std::string& name : platform::ListFiles(folder, ".dll")) {
    const std::string text = platform::Utf8ToCp1252(name);
    if (platform::Cp1252ToUtf8(text) == name && platform::EqualIgnoringCase(text, wanted)) {
      return folder / name;
    }
  }
  return exact;
}

}  // namespace spindeck
