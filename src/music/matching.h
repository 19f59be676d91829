#pragma once
// Finding songs by a piece of their playlist entry.
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// Empties lstfound1 and lstfound2, then appends every playlist entry that contains `text`
// (both compared in lower case; an empty text is in every entry) with its path, in playlist
// order.
void FindMatches(RuntimeState& state, const std::string& text);

}  // namespace spindeck
