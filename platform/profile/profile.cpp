#include "platform/profile/profile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/files/atomic_write.h"
#include "platform/files/read_file.h"
#include "platform/profile/profile_text.h"

namespace platform {

unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  std::string value = defaultValue != nullptr ? defaultValue : "";
  while (!value.empty() && value.back() == ' ') value.pop_back();

  if (section != nullptr && key != nullptr && file != nullptr) {
    std::string contents;
    if (ReadFileBytes(std::filesystem::path(file), contents) == FileRead::ok) {
      if (auto found = FindProfileValue(contents, section, key)) value = std::move(*found);
    }
  }

  const size_t copied = std::min<size_t>(value.size(), size - 1);
  std::memcpy(buffer, value.data(), copied);
  buffer[copied] = '\0';
  return static_cast<unsigned long>(copied);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* file) {
  if (section == nullptr || file == nullptr || *file == '\0') return false;
  const std::filesystem::path path(file);
  std::string contents;
  const FileRead read = ReadFileBytes(path, contents);
  // A file that exists but cannot be read must not be replaced by one holding only this key.
  if (read == FileRead::failed) return false;

  std::string updated;
  if (key == nullptr) {
    updated = RemoveProfileSection(contents, section);
  } else if (value == nullptr) {
    updated = RemoveProfileKey(contents, section, key);
  } else {
    updated = SetProfileValue(contents, section, key, value);
  }
  if (updated == contents && (read == FileRead::ok || updated.empty())) return true;
  return WriteFileAtomically(path, updated);
}

}  // namespace platform
