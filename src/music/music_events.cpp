#include "src/music/music_events.h"

#include "src/music/play_modes.h"
#include "src/music/song_search.h"

namespace spindeck {

std::chrono::microseconds StalledPositionWait(std::chrono::microseconds wait, int stalledTicks) {
  using std::chrono::milliseconds;
  if (stalledTicks <= 0) return wait;
  const milliseconds floor =
      stalledTicks >= 4 ? milliseconds(250) : milliseconds(1 << (2 * stalledTicks));
  return std::max<std::chrono::microseconds>(wait, floor);
}

void ConnectMusicEvents(RuntimeState& state) {
  state.player.SetEndOfStreamHandler([&state](int) { SongEnd(state); });
  // The position timer stays on as the commands switch it, but it wakes the program only when
  // lbllen or lblcpos would change: where the playing song's position reaches its next shown
  // second, and at once whenever the player says that anything else changed.
  QObject::connect(&state.tmrmp3, &platform::TimerControl::timeout, &state.tmrmp3,
                   [&state, stalled = 0]() mutable {
                     const std::string length = state.lbllen;
                     const std::string position = state.lblcpos;
                     PositionTick(state);
                     // A song that is not playing keeps its length and position until the player
                     // says that something changed.
                     if (state.player.PlayState() != 2) {
                       stalled = 0;
                       state.tmrmp3.hold();
                       return;
                     }
                     const auto wait = PositionChangeWait(state);
                     // A tick that shows nothing new came before the player reported the position
                     // it waits for (the player reports its position piece by piece, and timers are
                     // not exact): it tries again soon, never so often that a stalled position
                     // keeps the program busy.
                     if (state.lbllen != length || state.lblcpos != position) {
                       stalled = 0;
                       state.tmrmp3.fireIn(wait);
                     } else {
                       state.tmrmp3.retryIn(StalledPositionWait(wait, ++stalled));
                     }
                   });
  QObject::connect(&state.player, &platform::MediaPlayer::StateChanged, &state.tmrmp3,
                   [&state] { state.tmrmp3.fireIn(std::chrono::microseconds(0)); });
  if (state.scan2) {
    state.scan2->setLineHandler([&state](const std::string& sender, const std::string& text) {
      SelectionDialogueLine(state, sender, text);
    });
  }
}

}  // namespace spindeck
