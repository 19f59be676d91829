#pragma once
// Reads a whole file into memory, telling a missing file apart from one that exists but
// cannot be read.
#include <filesystem>
#include <string>

namespace platform {

enum class FileRead {
  ok,       // the bytes were read
  missing,  // nothing exists at the path (or a folder on the way is missing)
  failed,   // something exists but could not be read: a folder, a device, no permission
};

// Only regular files are read; a pipe or device is refused at once rather than waited on.
FileRead ReadFileBytes(const std::filesystem::path& file, std::string& bytes);

}  // namespace platform
