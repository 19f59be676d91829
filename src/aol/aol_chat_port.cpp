#include "src/aol/aol_chat_port.h"

#include "src/aol/aol_windows.h"

namespace spindeck {
namespace {

// The screen name is asked for every chat line, and finding it takes a dozen window calls. While
// the client's window events are watched, the name found is kept until an event says that a
// window was made, destroyed, moved in the z-order or renamed, or that events were lost. Those
// events come before the events of the lines said after them, so a line is never checked
// against a name that had already changed when it was said.
class AolChatPort : public ChatPort {
 public:
  explicit AolChatPort(platform::OwnLines& ownLines)
      : ownLines_(ownLines),
        hook_(win32::SetWinEventHook(
            win32::EVENT_OBJECT_CREATE, win32::EVENT_OBJECT_NAMECHANGE, nullptr,
            [this](win32::HWINEVENTHOOK, win32::DWORD, win32::HWND, win32::LONG, win32::LONG,
                   win32::DWORD, win32::DWORD) { nameKnown_ = false; },
            0, 0, win32::WINEVENT_OUTOFCONTEXT)) {}
  ~AolChatPort() override {
    if (hook_ != 0) win32::UnhookWinEvent(hook_);
  }
  AolChatPort(const AolChatPort&) = delete;
  AolChatPort& operator=(const AolChatPort&) = delete;

  std::string GetScreenName() override {
    if (hook_ == 0) return spindeck::GetScreenName();
    if (!nameKnown_) {
      name_ = spindeck::GetScreenName();
      // No name is not kept: it is also what a call that timed out gives.
      nameKnown_ = !name_.empty();
    }
    return name_;
  }
  void ChatSend(const std::string& line) override {
    if (FindChatRoom() == 0) return;  // a lost line never comes back
    ownLines_.NoteSent(line);
    spindeck::ChatSend(line);
  }

 private:
  platform::OwnLines& ownLines_;
  bool nameKnown_ = false;
  std::string name_;
  win32::HWINEVENTHOOK hook_;
};

}  // namespace

win32::HWND FindTranscript() {
  const win32::HWND room = FindChatRoom();
  return room == 0 ? 0 : win32::FindWindowExA(room, 0, "RICHCNTLREADONLY", nullptr);
}

void ConnectChatClient(RuntimeState& state) {
  state.chat = std::make_unique<AolChatPort>(state.ownLines);
  auto makeScanner = [&state] {
    return std::make_unique<platform::ChatScanner>(
        FindTranscript, &state.ownLines, [&state] { return state.chat->GetScreenName(); });
  };
  state.scan = makeScanner();
  state.scan2 = makeScanner();
  state.scan3 = makeScanner();
}

}  // namespace spindeck
