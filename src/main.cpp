// spin.deck: a chat-room jukebox commanded from the chat room.
#include <QApplication>
#include <cstdlib>

#include "platform/process/quit_signals.h"
#include "src/aol/aol_chat_port.h"
#include "src/core/lifecycle.h"
#include "src/music/music_events.h"
#include "src/presence/away_mode.h"
#include "src/state/runtime_state.h"
#include "src/ui/main_window.h"

int main(int argc, char** argv) {
  // Without a display the program runs on Qt's offscreen platform, so it works on a server.
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  QApplication app(argc, argv);
  // The form ends the program itself, after its farewell; closing it must not end it sooner.
  QApplication::setQuitOnLastWindowClosed(false);
  spindeck::RuntimeState state;
  state.programFolder = QCoreApplication::applicationDirPath().toStdString();
  spindeck::ConnectChatClient(state);
  spindeck::ConnectMusicEvents(state);
  spindeck::ConnectPresenceEvents(state);
  // Tests shorten the away timer's minute, so that an hour away passes in seconds.
  if (const char* tick = std::getenv("SPINDECK_IDLE_TICK_MS")) {
    if (const int ms = std::atoi(tick); ms > 0) state.tmrIdle.setInterval(ms);
  }
  state.scan->setLineHandler([&state](const std::string& sender, const std::string& text) {
    spindeck::ChatLineArrived(state, {sender, text});
  });

  spindeck::MainWindow window(state);
  window.setUnloadHandler([&state] { spindeck::UnloadMainForm(state); });
  // Ending the program from outside (kill, Ctrl-C, a closed terminal) unloads the form as a
  // closed window does, so the settings are saved and the room hears the farewell.
  platform::QuitSignals quitSignals([&state] { spindeck::UnloadMainForm(state); });

  spindeck::LoadMainForm(state, window);
  // Asked to end while starting, the farewell is said already.
  const int status = state.formUnloaded ? 0 : QApplication::exec();
  // The tests' check of how the program ends is itself tested with an end that crashes.
  if (std::getenv("SPINDECK_TEST_ABORT_AT_EXIT") != nullptr) std::abort();
  return status;
}
