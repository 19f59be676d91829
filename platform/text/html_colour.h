#pragma once
// The colour of an HTML font tag, shared by everything that shows a chat line's colours.
#include <optional>
#include <string>

namespace platform {

// The colour that a font tag's color attribute names, as 0xRRGGBB: "#rrggbb" or "rrggbb"
// (quoted or not, any case) or one of the 16 HTML colour names. Nothing when the tag has no
// color attribute, or an empty or unknown value.
std::optional<unsigned> HtmlFontColour(const std::string& tag);

// Whether the tag has a color attribute at all, even an empty or unknown one.
bool HtmlHasColourAttribute(const std::string& tag);

}  // namespace platform
