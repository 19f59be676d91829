#include "src/settings/settings_store.h"

#include <QCoreApplication>
#include <array>

#include "platform/files/atomic_write.h"
#include "platform/files/read_file.h"
#include "platform/profile/profile.h"
#include "platform/text/letter_case.h"
#include "src/settings/list_format.h"

namespace spindeck {

std::string ReadIni(const std::string& section, const std::string& key,
                    const std::filesystem::path& file) {
  const std::string lowerKey = platform::AsciiLower(key);
  std::array<char, 750> buffer{};
  const unsigned long copied = platform::GetPrivateProfileStringA(
      section.c_str(), lowerKey.c_str(), "", buffer.data(), buffer.size(), file.c_str());
  return std::string(buffer.data(), copied);
}

void WriteIni(const std::string& section, const std::string& key, const std::string& value,
              const std::filesystem::path& file) {
  const std::string upperKey = platform::AsciiUpper(key);
  platform::WritePrivateProfileStringA(section.c_str(), upperKey.c_str(), value.c_str(),
                                       file.c_str());
}

void LoadList(const std::filesystem::path& file, StateList& list) {
  std::string bytes;
  if (platform::ReadFileBytes(file, bytes) != platform::FileRead::ok) return;
  for (std::string& entry : ParseListEntries(bytes)) {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
    list.append(entry);
  }
}

void SaveList(const std::filesystem::path& file, const StateList& list) {
  platform::WriteFileAtomically(file, FormatListEntries(list.entries()));
}

}  // namespace spindeck
