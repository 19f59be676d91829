// spin.deck: a chat-room jukebox commanded from the chat room.
#include <QApplication>
#include <cstdlib>

#include "src/aol/aol_chat_port.h"
#include "src/core/dispatch.h"
#include "src/core/runtime_state.h"
#include "src/music/music_events.h"

int main(int argc, char** argv) {
  // Without a display the program runs on Qt's offscreen platform, so it works on a server.
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  QApplication app(argc, argv);
  spindeck::RuntimeState state;
  state.programFolder = QCoreApplication::applicationDirPath().toStdString();
  spindeck::ConnectChatClient(state);
  spindeck::ConnectMusicEvents(state);
  state.scan->setLineHandler([&state](const std::string& sender, const std::string& text) {
    spindeck::DispatchChatLine(state, {sender, text});
  });
  state.scan->start();
  return QApplication::exec();
}
