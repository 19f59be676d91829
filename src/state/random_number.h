#pragma once
#include "src/state/runtime_state.h"

namespace spindeck {

// A whole number from 1 to `highestNumber`, each equally likely; 1 for a highest number
// below 1. Drawn from the state's one generator.
int RandomNumber(RuntimeState& state, int highestNumber);

}  // namespace spindeck
