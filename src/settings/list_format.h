#pragma once
// The text format of list files such as the directory list: one entry a line, read field by
// field. No file access, so any bytes can be fed in.
#include <string>
#include <string_view>
#include <vector>

namespace spindeck {

// The entries of a list file's contents, in order:
//  - blanks (spaces, tabs) before an entry are skipped;
//  - an entry ends at the next comma or at the end of its line (CR LF, LF or CR); a comma at
//    the end of a line is followed by an empty entry;
//  - an entry that begins with a quotation mark runs to the next single quotation mark, may
//    hold commas and line ends, and is taken without the marks; inside it a doubled mark ""
//    stands for one mark; text after the closing mark up to the next comma or line end is
//    dropped; a mark that is never closed runs to the end of the contents;
//  - an empty line gives an empty entry; the last line needs no line end.
std::vector<std::string> ParseListEntries(std::string_view bytes);

// The contents that ParseListEntries reads back as exactly these entries: each entry followed
// by CR LF. An entry that holds a comma, a quotation mark or a line end, or that begins with a
// blank, is put inside quotation marks with its own marks doubled; every other entry is written
// as it stands, so plain lists stay readable by older readers.
std::string FormatListEntries(const std::vector<std::string>& entries);

}  // namespace spindeck
