#include "src/settings/settings_store.h"

#include <QCoreApplication>
#include <array>

#include "platform/files/atomic_write.h"
#include "platform/files/read_file.h"
#include "platform/profile/profile.h"
#include "src/settings/list_format.h"

namespace spindeck {
namespace {

// Keys are ASCII names; only ASCII letters change case, whatever the locale.
std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::string ReadIni(const std::string& section, const std::string& key,
                    const std::filesystem::path& file) {
  const std::string lowerKey = AsciiLower(key);
  std::array<char, 750> buffer{};
  const unsigned long copied = platform::GetPrivateProfileStringA(
      section.c_str(), lowerKey.c_str(), "", buffer.data(), buffer.size(), file.c_str());
  return std::string(buffer.data(), copied);
}

void WriteIni(const std::string& section, const std::string& key, const std::string& value,
              const std::filesystem::path& file) {
  const std::string upperKey = AsciiUpper(key);
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
