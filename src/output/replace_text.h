#pragma once
#include <string>

#include "platform/text/letter_case.h"

namespace spindeck {

// The source with every occurrence of find replaced, matching without regard to letter case.
// Searching goes on after each inserted replacement, so a replacement is never searched again.
// An empty find returns the source unchanged.
std::string ReplaceText(const std::string& source, const std::string& find,
                        const std::string& replacement);

// Letter case of Windows-1252 text, as every part of the program folds it.
using platform::ContainsLowered;
using platform::HasCapitals;
using platform::LowerText;
using platform::UpperText;

}  // namespace spindeck
