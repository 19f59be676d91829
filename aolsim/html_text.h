#pragma once
// Renders a chat line's HTML as a browser shows it, for the transcript.
#include <string>

namespace aolsim {

// Tags are removed (a line break tag counts as a blank), the entities &amp; &lt; &gt; &quot;
// &apos; &nbsp; and &#NNN; / &#xHH; are decoded, runs of blanks (space, tab, CR, LF) become
// one space, and blanks at the start and end are dropped. A "<" that cannot open a tag is
// text, as in a browser. Text is Windows-1252.
std::string RenderHtml(const std::string& html);

}  // namespace aolsim
