#include "platform/files/file_checks.h"

namespace platform {

bool FolderExists(const std::filesystem::path& folder) {
  std::error_code ec;
  return std::filesystem::is_directory(folder, ec);
}

bool FileExists(const std::filesystem::path& file) {
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec);
}

}  // namespace platform
