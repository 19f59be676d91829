#pragma once
// Existence tests that never throw.
#include <filesystem>

namespace platform {

// True when the path names a folder (a link to a folder counts).
bool FolderExists(const std::filesystem::path& folder);
// True when the path names a regular file (a link to one counts).
bool FileExists(const std::filesystem::path& file);

}  // namespace platform
