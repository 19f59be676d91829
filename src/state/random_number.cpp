#include "src/state/random_number.h"

namespace spindeck {

int RandomNumber(RuntimeState& state, int highestNumber) {
  if (highestNumber <= 1) return 1;
  std::uniform_int_distribution<int> pick(1, highestNumber);
  return pick(state.random);
}

}  // namespace spindeck
