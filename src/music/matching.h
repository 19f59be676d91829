#pragma once
// Finding songs by a piece of their playlist entry.
#include <string>

#include "src/core/runtime_state.h"

namespace spindeck {

// Empties lstfound1 and lstfound2, then appends every playlist entry that contains `text`
// (both compared in lower case; an empty text is in every entry) with its path, in playlist
// order.
void FindMatches(RuntimeState& state, const std::string& text);

// A whole number from 1 to `highestNumber`, each equally likely; 1 for a highest number
// below 1. Drawn from the state's one generator.
int RandomNumber(RuntimeState& state, int highestNumber);

}  // namespace spindeck
