#pragma once
// Renders a chat line's HTML as a browser shows it, for the transcript.
#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// Tags are removed (a line break tag counts as a blank), the entities &amp; &lt; &gt; &quot;
// &apos; &nbsp; and &#NNN; / &#xHH; are decoded, runs of blanks (space, tab, CR, LF) become
// one space, and blanks at the start and end are dropped. A "<" that cannot open a tag is
// text, as in a browser. Text is Windows-1252.
std::string RenderHtml(const std::string& html);

// The same, with the text that onTag gives for each tag (its lower-case name, the whole
// tag) put in the tag's place as it is: the terminal turns font and bold tags into colours.
using TagHook = std::function<std::string(const std::string& name, const std::string& tag)>;
std::string RenderHtml(const std::string& html, const TagHook& onTag);

// Decodes the entity at html[amp] (an "&"), one of those named above: its text
// (Windows-1252) and its length in the source. False when there is no entity we know there.
bool DecodeHtmlEntity(const std::string& html, std::size_t amp, std::string& text,
                      std::size_t& length);

}  // namespace platform
