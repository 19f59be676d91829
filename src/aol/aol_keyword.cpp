#include "src/aol/aol_keyword.h"

#include <vector>

#include "src/aol/aol_windows.h"
#include "src/output/replace_text.h"

namespace spindeck {

using win32::HWND;

void AolKeyword(const std::string& keyword) {
  const HWND frame = win32::FindWindowA("aol frame25", nullptr);
  if (frame == 0) return;
  const HWND toolbar = win32::FindWindowExA(frame, 0, "aol toolbar", nullptr);
  if (toolbar == 0) return;
  const HWND inner = win32::FindWindowExA(toolbar, 0, "_aol_toolbar", nullptr);
  if (inner == 0) return;
  const HWND combo = win32::FindWindowExA(inner, 0, "_aol_combobox", nullptr);
  if (combo == 0) return;
  const HWND box = win32::FindWindowExA(combo, 0, "edit", nullptr);
  if (box == 0) return;
  win32::SendMessageA(box, win32::WM_SETTEXT, 0, reinterpret_cast<win32::LPARAM>(keyword.c_str()));
  win32::SendMessageA(box, win32::WM_CHAR, 32, 0);
  win32::SendMessageA(box, win32::WM_CHAR, 13, 0);
}

void PrivateRoom(const std::string& room) {
  AolKeyword("aol://2719:2-2-" + room);
}

std::string AolVersion() {
  const HWND frame = win32::FindWindowA("AOL Frame25", nullptr);
  const win32::HMENU bar = win32::GetMenu(frame);
  const int count = win32::GetMenuItemCount(bar);
  if (count == 8) return "3";
  if (count == 7) return "2.5";
  static const char* const kNames[] = {"aol 8.0", "aol 7.0", "aol 6.0", "aol 5.0", "aol 4.0"};
  static const char* const kVersions[] = {"8", "7", "6", "5", "4"};
  for (int i = 0; i < count; ++i) {
    const win32::HMENU sub = win32::GetSubMenu(bar, i);
    const int items = win32::GetMenuItemCount(sub);
    for (int j = 0; j < items; ++j) {
      const win32::UINT id = win32::GetMenuItemID(sub, j);
      std::string buffer(100, ' ');
      win32::GetMenuStringA(sub, id, buffer.data(), 100, 1);
      buffer = LowerText(buffer);
      for (int v = 0; v < 5; ++v) {
        if (buffer.find(kNames[v]) != std::string::npos) return kVersions[v];
      }
    }
  }
  return "?";
}

std::string GetControlText(HWND window) {
  if (window == 0) return {};
  const auto n = win32::SendMessageA(window, win32::WM_GETTEXTLENGTH, 0, 0);
  if (n <= 0 || n > (1 << 24)) return {};
  std::vector<char> buffer(static_cast<std::size_t>(n) + 1, '\0');
  win32::SendMessageA(window, win32::WM_GETTEXT, static_cast<win32::WPARAM>(n) + 1,
                      reinterpret_cast<win32::LPARAM>(buffer.data()));
  return std::string(buffer.data());
}

std::string WelcomeTemperature() {
  const HWND mdi = FindMdiClient();
  if (mdi == 0) return {};
  const std::string title = "Welcome, " + GetScreenName() + "!";
  const HWND welcome = win32::FindWindowExA(mdi, 0, "AOL Child", title.c_str());
  if (welcome == 0) return {};
  HWND s = win32::FindWindowExA(welcome, 0, "_AOL_Static", nullptr);
  for (int i = 0; i < 4 && s != 0; ++i)
    s = win32::FindWindowExA(welcome, s, "_AOL_Static", nullptr);
  return GetControlText(s);
}

int RoomCount() {
  const HWND room = FindChatRoom();
  if (room == 0) return 0;
  const HWND list = win32::FindWindowExA(room, 0, "_AOL_Listbox", nullptr);
  if (list == 0) return 0;
  return static_cast<int>(win32::SendMessageA(list, win32::LB_GETCOUNT, 0, 0));
}

}  // namespace spindeck
