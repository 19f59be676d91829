#include "src/aol/aol_chat_port.h"

#include "src/aol/aol_windows.h"

namespace spindeck {
namespace {

class AolChatPort : public ChatPort {
 public:
  explicit AolChatPort(platform::OwnLines& ownLines) : ownLines_(ownLines) {}
  std::string GetScreenName() override { return spindeck::GetScreenName(); }
  void ChatSend(const std::string& line) override {
    if (FindChatRoom() == 0) return;  // a lost line never comes back
    ownLines_.NoteSent(line);
    spindeck::ChatSend(line);
  }

 private:
  platform::OwnLines& ownLines_;
};

}  // namespace

win32::HWND FindTranscript() {
  const win32::HWND room = FindChatRoom();
  return room == 0 ? 0 : win32::FindWindowExA(room, 0, "RICHCNTLREADONLY", nullptr);
}

void ConnectChatClient(RuntimeState& state) {
  state.chat = std::make_unique<AolChatPort>(state.ownLines);
  auto makeScanner = [&state] {
    return std::make_unique<platform::ChatScanner>(FindTranscript, &state.ownLines,
                                                   [] { return spindeck::GetScreenName(); });
  };
  state.scan = makeScanner();
  state.scan2 = makeScanner();
  state.scan3 = makeScanner();
}

}  // namespace spindeck
