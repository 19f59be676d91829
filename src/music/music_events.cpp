#include "src/music/music_events.h"

#include "src/music/play_modes.h"
#include "src/music/song_search.h"

namespace spindeck {

void ConnectMusicEvents(RuntimeState& state) {
  state.player.SetEndOfStreamHandler([&state](int) { SongEnd(state); });
  QObject::connect(&state.tmrmp3, &platform::TimerControl::timeout, &state.tmrmp3, [&state] {
    PositionTick(state);
    // A song that is not playing keeps its length and position until the player says that
    // something changed: till then the timer need not wake the program.
    if (state.player.PlayState() != 2) state.tmrmp3.hold();
  });
  QObject::connect(&state.player, &platform::MediaPlayer::StateChanged, &state.tmrmp3,
                   [&state] { state.tmrmp3.release(); });
  if (state.scan2) {
    state.scan2->setLineHandler([&state](const std::string& sender, const std::string& text) {
      SelectionDialogueLine(state, sender, text);
    });
  }
}

}  // namespace spindeck
