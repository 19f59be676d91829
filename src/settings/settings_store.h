#pragma once
// The only ways in which the program reads and writes its files: single values of INI files
// (the settings file and the style files) and whole list files (the directory list). None of
// them reports an error: a missing file reads as empty, a failed write leaves the file as it
// was. Texts are Windows-1252 bytes; file paths are native.
#include <filesystem>
#include <string>

#include "src/state/state_list.h"

namespace spindeck {

// The value of the key (lower-cased first) in the section, as the profile reader gives it:
// blanks around it and one pair of enclosing quotation marks removed, cut to 749 characters.
// Empty when the file, the section or the key is missing.
std::string ReadIni(const std::string& section, const std::string& key,
                    const std::filesystem::path& file);

// Sets the key (upper-cased first) in the section to the value, creating the file and the
// section when needed; the folder must exist. Other lines of the file are kept.
void WriteIni(const std::string& section, const std::string& key, const std::string& value,
              const std::filesystem::path& file);

// Appends the file's entries to the list (which is not cleared). After reading each entry it
// lets the event loop run once before appending it, so the window stays responsive and other
// events may see the list partly filled. A missing or unreadable file appends nothing.
void LoadList(const std::filesystem::path& file, StateList& list);

// Replaces the file with the list's entries, one a line, each ended by CR LF; entries that
// could not be read back whole as they stand are quoted (see FormatListEntries). The file is
// replaced atomically; a failed write leaves it as it was.
void SaveList(const std::filesystem::path& file, const StateList& list);

}  // namespace spindeck
