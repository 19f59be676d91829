#pragma once
// Letter case, the one place that knows it. Windows-1252 text folds its ASCII letters and the
// accented letters of the code page ("\xC1" and "\xE1" are one letter in two cases); names that
// are not Windows-1252 text (settings keys, UTF-8 file names) fold their ASCII letters only.
#include <string>
#include <string_view>

namespace platform {

unsigned char LowerByte(unsigned char c);
unsigned char UpperByte(unsigned char c);
std::string LowerText(std::string_view text);
std::string UpperText(std::string_view text);
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Whether `text` contains `lowerFind` (already in lower case) without regard to case; an empty
// find is in every text. Allocates nothing, for searches over long lists.
bool ContainsLowered(std::string_view text, std::string_view lowerFind);
// Whether LowerText would change the text.
bool HasCapitals(std::string_view text);

unsigned char LowerAsciiByte(unsigned char c);
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

}  // namespace platform
