#include "src/music/matching.h"

#include "src/output/replace_text.h"

namespace spindeck {

void FindMatches(RuntimeState& state, const std::string& text) {
  state.lstfound1.clear();
  state.lstfound2.clear();
  const std::string wanted = LowerText(text);
  // A search may pause nowhere, so the playlist cannot change under this loop.
  const std::vector<std::string>& playlist = state.lstpl.entries();
  for (std::size_t i = 0; i < playlist.size(); ++i) {
    // The library's entries are in lower case already: a plain search settles those, and
    // only an entry that holds a capital needs the case-blind one.
    const std::string& entry = playlist[i];
    const bool found = entry.find(wanted) != std::string::npos ||
                       (HasCapitals(entry) && ContainsLowered(entry, wanted));
    if (!found) continue;
    state.lstfound1.append(entry);
    state.lstfound2.append(state.lstmultidir.entryAt(static_cast<int>(i)));
  }
}

}  // namespace spindeck
