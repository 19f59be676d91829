#include "src/music/display_name.h"

#include "src/output/replace_text.h"

namespace spindeck {

std::string DisplayName(const std::string& entry) {
  return ReplaceText(entry, ".", "</b>.");
}

std::string EntryOfDisplayName(const std::string& displayName) {
  return ReplaceText(displayName, "</b>.", ".");
}

}  // namespace spindeck
