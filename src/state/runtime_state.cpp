#include "src/state/runtime_state.h"

namespace spindeck {

RuntimeState::RuntimeState() : random(std::random_device{}()) {
  tmrmp3.setInterval(1);
  tmrIdle.setInterval(60000);
}

}  // namespace spindeck
