#include "src/state/screen_name.h"

namespace spindeck {

std::string UserScreenName(RuntimeState& state) {
  return state.chat ? state.chat->GetScreenName() : std::string();
}

}  // namespace spindeck
