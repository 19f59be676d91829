#include "src/music/music_events.h"

#include "src/music/play_modes.h"
#include "src/music/song_search.h"

namespace spindeck {

void ConnectMusicEvents(RuntimeState& state) {
  state.player.SetEndOfStreamHandler([&state](int) { SongEnd(state); });
  QObject::connect(&state.tmrmp3, &platform::TimerControl::timeout, &state.tmrmp3,
                   [&state] { PositionTick(state); });
  if (state.scan2) {
    state.scan2->setLineHandler([&state](const std::string& sender, const std::string& text) {
      SelectionDialogueLine(state, sender, text);
    });
  }
}

}  // namespace spindeck
