#pragma once
// Letter case of Windows-1252 text, as Windows compares names (sections, keys, file names):
// independent of the process locale.
#include <string_view>

namespace platform {

// The lower-case form of a Windows-1252 byte: ASCII letters, the accented capitals 0xC0-0xDE
// (not the multiplication sign 0xD7), and the four capitals of the 0x80 row. Other bytes stay.
unsigned char FoldCase(unsigned char c);

// Whether two Windows-1252 texts are equal when letters are compared without regard to case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform
