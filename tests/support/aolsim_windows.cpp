#include "tests/support/aolsim_windows.h"

#include <cstdint>
#include <cstring>

namespace spindeck::testing {

using namespace win32;

HWND Frame() {
  return FindWindowA("AOL Frame25", nullptr);
}

HWND MdiClient() {
  return FindWindowExA(Frame(), 0, "MDIClient", nullptr);
}

std::vector<HWND> Children(HWND parent, const char* className) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExA(parent, 0, className, nullptr); w != 0;
       w = FindWindowExA(parent, w, className, nullptr)) {
    found.push_back(w);
  }
  return found;
}

std::string Caption(HWND window) {
  char buffer[256];
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string ControlText(HWND window) {
  const auto n = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

HWND RoomWindow(const std::string& name) {
  return FindWindowExA(MdiClient(), 0, "AOL Child", name.c_str());
}

HWND Child(HWND parent, const char* className) {
  return FindWindowExA(parent, 0, className, nullptr);
}

std::vector<std::string> MemberNames(HWND memberList) {
  std::vector<std::string> names;
  DWORD pid = 0;
  GetWindowThreadProcessId(memberList, &pid);
  HANDLE process = OpenProcess(STANDARD_RIGHTS_REQUIRED | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return names;
  const auto count = SendMessageA(memberList, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto p = static_cast<std::uint32_t>(
        SendMessageA(memberList, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    unsigned char q[4] = {};
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t{p} + 28), q, 4, nullptr);
    const std::uint32_t qAddress =
        q[0] | (q[1] << 8) | (q[2] << 16) | (static_cast<std::uint32_t>(q[3]) << 24);
    char name[16] = {};
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t{qAddress} + 6), name, 16,
                      nullptr);
    names.emplace_back(name, strnlen(name, 16));
  }
  CloseHandle(process);
  return names;
}

}  // namespace spindeck::testing
