#pragma once
#include <string>

namespace spindeck {

// The source with every occurrence of find replaced, matching without regard to letter case.
// Searching goes on after each inserted replacement, so a replacement is never searched again.
// An empty find returns the source unchanged.
std::string ReplaceText(const std::string& source, const std::string& find,
                        const std::string& replacement);

// Lower and upper case of Windows-1252 text: ASCII letters and the accented letters of the
// code page (so "\xC1" and "\xE1" are one letter in two cases).
std::string LowerText(const std::string& text);
std::string UpperText(const std::string& text);

// Whether `text` contains `lowerFind` (already in lower case) without regard to case; an empty
// find is in every text. Allocates nothing, for searches over long lists.
bool ContainsLowered(const std::string& text, const std::string& lowerFind);

// Whether LowerText would change the text.
bool HasCapitals(const std::string& text);

}  // namespace spindeck
