#include "src/core/runtime_state.h"

namespace spindeck {

RuntimeState::RuntimeState() {
  tmrmp3.setInterval(1);
  tmrIdle.setInterval(60000);
}

}  // namespace spindeck
