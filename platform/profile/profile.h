#pragma once
// The private-profile services of Windows (INI files read and written one value at a time),
// with the Windows names and argument order. The file is a native path (UTF-8 bytes); the
// section, key and value texts are Windows-1252 bytes and pass through untouched.
//
// Reading:
//  - section and key are matched without regard to case (ASCII and Windows-1252 letters) and
//    without surrounding blanks; when a section appears twice, the first one counts;
//  - the value loses its surrounding blanks and then one pair of enclosing quotation marks
//    (double or single);
//  - a missing file, section or key gives the default (with its trailing blanks removed);
//  - lines may end in CR LF, LF or a lone CR, in any mix.
// Writing:
//  - creates the file and the section when they are missing (the folder must exist), replaces
//    the key's line in place or adds it at the end of its section, and keeps every other line
//    byte for byte; a replaced line keeps its line end, new lines end as the file's first line
//    does (CR LF in a new file), so that a file keeps the line ends it uses;
//  - a null value removes the key, a null key removes the whole section;
//  - line breaks in the texts would split the line, so each CR or LF in them becomes a blank;
//  - the file is replaced atomically, so a write cut short leaves the old file whole; a
//    failed write (missing folder, read-only or unreadable file) changes nothing.
// Not provided: the listing forms (null section or null key on reading); they give the
// default here.

namespace platform {

// Copies the value into the buffer, cut to size - 1 characters and ended by a NUL, and returns
// the number of characters copied without the NUL. A null buffer or a size of 0 copies nothing.
unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file);

// Returns true when the file holds the change afterwards.
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* file);

}  // namespace platform
