#pragma once
// The text side of the private-profile services: looking a value up in, and producing the new
// contents of, an INI file held in memory. No file access, so any bytes can be fed in.
#include <optional>
#include <string>

namespace platform {

// The value of the key in the first section of that name, with surrounding blanks and one
// pair of enclosing quotation marks removed; nothing when the section or the key is missing.
std::optional<std::string> FindProfileValue(const std::string& contents, const std::string& section,
                                            const std::string& key);

// The contents with the key set to the value: its line replaced in place, or added at the end
// of the section, or a new section added at the end of the file. Lines may end in CR LF, LF or
// a lone CR. Other lines are kept byte for byte, and a replaced line keeps its line end; new
// lines end as the file's first line does (CR LF in a file without line ends), and so does a
// last line without a line end when something follows it.
std::string SetProfileValue(const std::string& contents, const std::string& section,
                            const std::string& key, const std::string& value);

// The contents without the key's line (in the first section of that name).
std::string RemoveProfileKey(const std::string& contents, const std::string& section,
                             const std::string& key);

// The contents without the first section of that name: its header and all lines up to the
// next section header.
std::string RemoveProfileSection(const std::string& contents, const std::string& section);

// Whether two section or key names are the same: surrounding blanks ignored, letters compared
// without regard to case in Windows-1252.
bool ProfileNamesEqual(const std::string& a, const std::string& b);

}  // namespace platform
