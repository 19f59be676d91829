#include "src/aol/aol_windows.h"

#include <vector>

namespace spindeck {

using win32::HWND;

bool HasChild(HWND window, const char* className) {
  return window != 0 && win32::FindWindowExA(window, 0, className, nullptr) != 0;
}

HWND FindMdiClient() {
  const HWND frame = win32::FindWindowA("AOL Frame25", nullptr);
  if (frame == 0) return 0;
  return win32::FindWindowExA(frame, 0, "MDIClient", nullptr);
}

HWND FindChatRoom() {
  const HWND mdi = FindMdiClient();
  if (mdi == 0) return 0;
  HWND candidate = win32::FindWindowExA(mdi, 0, "AOL Child", nullptr);
  while (candidate != 0) {
    if (HasChild(candidate, "RICHCNTLREADONLY") && HasChild(candidate, "_AOL_Combobox") &&
        HasChild(candidate, "_AOL_Icon") && HasChild(candidate, "_AOL_Static")) {
      return candidate;
    }
    candidate = win32::FindWindowExA(mdi, candidate, "AOL Child", nullptr);
  }
  return 0;
}

void ChatSend(const std::string& text) {
  const HWND room = FindChatRoom();
  if (room == 0) return;
  const HWND input = win32::FindWindowExA(room, 0, "RICHCNTL", nullptr);
  if (input == 0) return;
  win32::SendMessageA(input, win32::WM_SETTEXT, 0, reinterpret_cast<win32::LPARAM>(text.c_str()));
  win32::SendMessageA(input, win32::WM_CHAR, 13, 0);
}

std::string GetCaption(HWND window) {
  if (window == 0) return {};
  const int n = win32::GetWindowTextLengthA(window);
  if (n <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(n) + 1, '\0');
  const int copied = win32::GetWindowTextA(window, buffer.data(), n + 1);
  return std::string(buffer.data(), static_cast<std::size_t>(std::max(0, std::min(copied, n))));
}

std::string GetScreenName(HWND* welcome) {
  static const std::string kWelcome = "Welcome, ";
  if (welcome != nullptr) *welcome = 0;
  const HWND frame = win32::FindWindowA("aol frame25", nullptr);
  if (frame == 0) return {};
  const HWND mdi = win32::FindWindowExA(frame, 0, "mdiclient", nullptr);
  if (mdi == 0) return {};
  // Every document window is examined, the one on top included, so the Welcome window is
  // found wherever it stands in the z-order.
  for (HWND w = win32::FindWindowExA(mdi, 0, "aol child", nullptr); w != 0;
       w = win32::FindWindowExA(mdi, w, "AOL Child", nullptr)) {
    const std::string caption = GetCaption(w);
    if (caption.compare(0, kWelcome.size(), kWelcome) != 0) continue;
    if (welcome != nullptr) *welcome = w;
    const std::size_t bang = caption.find('!');
    if (bang == std::string::npos) return {};  // not a screen name without its "!"
    return caption.substr(kWelcome.size(), bang - kWelcome.size());
  }
  return {};
}

}  // namespace spindeck
