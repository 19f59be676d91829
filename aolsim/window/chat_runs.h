#pragma once
// A chat line's HTML as runs of text, each in one style, for drawing the line. Only the tags
// a chat line styles itself with are understood: <font color=.. face=..>, <b>, <i>, <u>, their
// closers, and <br> as a blank. Any other tag (an image, a link, a script...) is text, shown
// as it was written, so that nothing in a line from another person can fetch, open or run
// anything. Entities are decoded and runs of blanks become one, as in the transcript's text.
#include <optional>
#include <string>
#include <vector>

namespace aolsim::window {

struct ChatStyle {
  std::optional<unsigned> colour;  // 0xRRGGBB; none: the view's own
  std::string face;                // the face attribute as written; empty: the view's own
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const ChatStyle&) const = default;
};

struct ChatRun {
  std::string text;  // Windows-1252
  ChatStyle style;
};

// The runs of the line, neighbours of the same style joined; blanks at the start and the end
// are dropped.
std::vector<ChatRun> ChatRuns(const std::string& html);

}  // namespace aolsim::window
