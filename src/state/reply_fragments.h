#pragma once
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// The three pieces of style that handlers put into their replies, built once per chat line.
struct ReplyFragments {
  std::string asciiColorTag;    // "<font color=" + decoration colour + ">"
  std::string textColorTag;     // "<font color=" + text colour + ">"
  std::string middleSeparator;  // blank, middle decoration in its colour, text colour, blank
};

ReplyFragments BuildReplyFragments(const RuntimeState& state);

}  // namespace spindeck
