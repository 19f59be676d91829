#pragma once
// The files of one folder that carry a given extension (or one of several), in the order a file
// list box shows them.
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Names (without the folder) of the regular files directly in the folder whose names end in
// the extension (".mp3", ".dll"), compared without regard to ASCII case. Sorted by name
// without regard to ASCII case, equal names in that sense by their bytes. A missing or
// unreadable folder gives an empty list; never throws.
//
// The names are the bytes on disk (UTF-8). Where a name becomes program text, the caller
// converts it with Utf8ToCp1252 from platform/text/cp1252.h.
std::vector<std::string> ListFiles(const std::filesystem::path& folder,
                                   const std::string& extension);

// The same for files whose names end in any one of the extensions; each file is listed once.
std::vector<std::string> ListFiles(const std::filesystem::path& folder,
                                   const std::vector<std::string>& extensions);

}  // namespace platform
