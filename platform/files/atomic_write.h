#pragma once
// Replaces a file's contents so that the file is always either wholly old or wholly new.
#include <filesystem>
#include <string>

namespace platform {

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it
// over the file. A symbolic link is followed, so the file it points at is replaced. An
// existing file keeps its permission bits. A file whose permission bits allow no writing at
// all counts as read-only and is not replaced. On any failure the temporary file is removed,
// the old file stays as it was, and false is returned. Never throws.
bool WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes);

}  // namespace platform
