#pragma once
// Conversion between the program's 8-bit Windows-1252 text and UTF-8, used only where text
// leaves or enters the program: Qt widgets, terminals and file names.
#include <string>

namespace platform {

// Every byte maps to one code point; the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so that the
// conversion is lossless both ways.
std::string Cp1252ToUtf8(const std::string& text);

// Code points without a Windows-1252 byte become "?"; malformed UTF-8 bytes are taken as
// Latin-1 bytes, so that no input is lost or rejected.
std::string Utf8ToCp1252(const std::string& text);

}  // namespace platform
