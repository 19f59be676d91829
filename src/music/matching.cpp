#include "src/music/matching.h"

#include "src/output/replace_text.h"

namespace spindeck {

void FindMatches(RuntimeState& state, const std::string& text) {
  state.lstfound1.clear();
  state.lstfound2.clear();
  const std::string wanted = LowerText(text);
  const int count = state.lstpl.count();
  for (int i = 0; i < count; ++i) {
    const std::string& entry = state.lstpl.entryAt(i);
    // Entries are lower case when the library builds them; lowering again keeps the match
    // right for entries that came from anywhere else.
    if (LowerText(entry).find(wanted) == std::string::npos) continue;
    state.lstfound1.append(entry);
    state.lstfound2.append(state.lstmultidir.entryAt(i));
  }
}

int RandomNumber(RuntimeState& state, int highestNumber) {
  if (highestNumber <= 1) return 1;
  std::uniform_int_distribution<int> pick(1, highestNumber);
  return pick(state.random);
}

}  // namespace spindeck
