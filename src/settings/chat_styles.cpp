#include "src/settings/chat_styles.h"

namespace spindeck {

void LoadStyle(RuntimeState&) {}
void SaveStyle(RuntimeState&) {}
int RefreshStyleList(RuntimeState&) {
  return 0;
}
bool IsPlainStyleName(const std::string&) {
  return false;
}

}  // namespace spindeck
