#include "src/aol/aol_chat_port.h"

#include "src/aol/aol_windows.h"

namespace spindeck {
namespace {

// The screen name is asked for every line whose text the program sent, and finding it takes a
// dozen window calls. While the client's window events flow, the name found is kept until an
// event says that the Welcome window was renamed or destroyed, or that events were lost. A
// line may still be read before such an event is handled: the scanner asks afresh when a
// sender differs from the kept name.
class AolChatPort : public ChatPort {
 public:
  explicit AolChatPort(platform::OwnLines& ownLines)
      : ownLines_(ownLines),
        hook_(win32::SetWinEventHook(
            win32::EVENT_OBJECT_CREATE, win32::EVENT_OBJECT_NAMECHANGE, nullptr,
            [this](win32::HWINEVENTHOOK, win32::DWORD event, win32::HWND window, win32::LONG,
                   win32::LONG, win32::DWORD, win32::DWORD) { OnEvent(event, window); },
            0, 0, win32::WINEVENT_OUTOFCONTEXT)) {}
  ~AolChatPort() override {
    if (hook_ != 0) win32::UnhookWinEvent(hook_);
  }
  AolChatPort(const AolChatPort&) = delete;
  AolChatPort& operator=(const AolChatPort&) = delete;

  std::string GetScreenName() override { return ScreenName(false); }

  // `again`: asks the client, whatever is kept.
  std::string ScreenName(bool again) {
    // Without events nothing would tell of a change: the name is asked each time.
    const bool kept = hook_ != 0 && win32::IsWinEventHookStarted(hook_);
    if (!kept || again || !nameKnown_) {
      name_ = spindeck::GetScreenName(&welcome_);
      // No name is not kept: it is also what a call that timed out gives.
      nameKnown_ = kept && !name_.empty();
    }
    return name_;
  }
  void ChatSend(const std::string& line) override {
    if (FindChatRoom() == 0) return;  // a lost line never comes back
    ownLines_.NoteSent(line, ScreenName(false));
    spindeck::ChatSend(line);
  }

 private:
  void OnEvent(win32::DWORD event, win32::HWND window) {
    // Only the Welcome window's caption holds the name; the input box, renamed by every line
    // sent, and the rooms say nothing of it.
    if (event == win32::EVENT_SPINDECK_EVENTSLOST ||
        (window == welcome_ &&
         (event == win32::EVENT_OBJECT_NAMECHANGE || event == win32::EVENT_OBJECT_DESTROY))) {
      nameKnown_ = false;
    }
  }

  platform::OwnLines& ownLines_;
  bool nameKnown_ = false;
  std::string name_;
  win32::HWND welcome_ = 0;
  win32::HWINEVENTHOOK hook_;
};

}  // namespace

win32::HWND FindTranscript() {
  const win32::HWND room = FindChatRoom();
  return room == 0 ? 0 : win32::FindWindowExA(room, 0, "RICHCNTLREADONLY", nullptr);
}

void ConnectChatClient(RuntimeState& state) {
  state.chat = std::make_unique<AolChatPort>(state.ownLines);
  // The port in place when a line is checked (a test may replace it).
  const auto userName = [&state](bool again) -> std::string {
    if (auto* aol = dynamic_cast<AolChatPort*>(state.chat.get())) return aol->ScreenName(again);
    return state.chat ? state.chat->GetScreenName() : std::string();
  };
  auto makeScanner = [&state, userName] {
    return std::make_unique<platform::ChatScanner>(FindTranscript, &state.ownLines, userName);
  };
  state.scan = makeScanner();
  state.scan2 = makeScanner();
  state.scan3 = makeScanner();
}

}  // namespace spindeck
