#include "src/aol/room_members.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <array>
#include <cstring>

#include "src/aol/aol_keyword.h"
#include "src/aol/aol_windows.h"
#include "src/output/pause.h"
#include "src/output/replace_text.h"

namespace spindeck {

using win32::HWND;

namespace {

constexpr win32::DWORD kProcessAccess = win32::STANDARD_RIGHTS_REQUIRED | win32::PROCESS_VM_READ;
constexpr int kMemberWindowWaitMs = 5000;
constexpr int kCheckWaitMs = 1000;
constexpr int kMaxClicks = 4;

// The client's process, opened for reading its memory, closed when the guard goes.
class OpenedProcess {
 public:
  explicit OpenedProcess(HWND window) {
    win32::DWORD pid = 0;
    win32::GetWindowThreadProcessId(window, &pid);
    if (pid != 0) handle_ = win32::OpenProcess(kProcessAccess, win32::FALSE, pid);
  }
  ~OpenedProcess() {
    if (handle_ != nullptr) win32::CloseHandle(handle_);
  }
  OpenedProcess(const OpenedProcess&) = delete;
  OpenedProcess& operator=(const OpenedProcess&) = delete;
  win32::HANDLE get() const { return handle_; }

 private:
  win32::HANDLE handle_ = nullptr;
};

const void* Address(std::uint32_t value) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(value));
}

HWND MemberListOf(HWND room) {
  return room == 0 ? 0 : win32::FindWindowExA(room, 0, "_AOL_Listbox", nullptr);
}

void YieldOnce() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

bool ReadsChecked(HWND box) {
  return win32::SendMessageA(box, win32::BM_GETCHECK, 0, 0) != 0;
}

}  // namespace

std::string ReadMemberName(win32::HANDLE process, HWND memberList, int index) {
  const auto record = static_cast<std::uint32_t>(
      win32::SendMessageA(memberList, win32::LB_GETITEMDATA, static_cast<win32::WPARAM>(index), 0));
  std::array<unsigned char, 4> q{};
  win32::ReadProcessMemory(process, Address(record + 28), q.data(), q.size(), nullptr);
  const std::uint32_t nameAddress =
      q[0] | (q[1] << 8) | (q[2] << 16) | (static_cast<std::uint32_t>(q[3]) << 24);
  std::array<char, 16> name{};
  win32::ReadProcessMemory(process, Address(nameAddress + 6), name.data(), name.size(), nullptr);
  return std::string(name.data(), strnlen(name.data(), name.size()));
}

void ListRoomMembers(StateList& list, bool includeSelf) {
  const HWND memberList = MemberListOf(FindChatRoom());
  if (memberList == 0) return;
  OpenedProcess process(memberList);
  if (process.get() == nullptr) return;
  const auto n = win32::SendMessageA(memberList, win32::LB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; ++i) {
    const std::string name = ReadMemberName(process.get(), memberList, i);
    if (includeSelf || name != GetScreenName()) list.append(name);
  }
}

void ToggleIgnore(const std::string& screenName, bool ignored) {
  const HWND memberList = MemberListOf(FindChatRoom());
  if (memberList == 0) return;
  OpenedProcess process(memberList);
  if (process.get() == nullptr) return;
  const std::string wanted = LowerText(screenName);
  const auto n = win32::SendMessageA(memberList, win32::LB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; ++i) {
    const std::string name = ReadMemberName(process.get(), memberList, i);
    if (LowerText(name) == wanted && name != GetScreenName()) {
      IgnoreByIndex(i, ignored);
      YieldOnce();
      return;
    }
  }
}

void IgnoreByIndex(int index, bool ignored) {
  if (index < 0 || index > RoomCount() - 1) return;
  const HWND memberList = MemberListOf(FindChatRoom());
  if (memberList == 0) return;
  win32::SendMessageA(memberList, win32::LB_SETCURSEL, static_cast<win32::WPARAM>(index), 0);
  win32::PostMessageA(memberList, win32::WM_LBUTTONDBLCLK, 0, 0);

  HWND window = 0;
  QElapsedTimer clock;
  clock.start();
  while ((window = FindMemberWindow()) == 0 && clock.elapsed() < kMemberWindowWaitMs) {
    Pause(0.02);
  }
  if (window == 0) return;  // the client never opened it: nothing to close
  YieldOnce();
  const HWND box = win32::FindWindowExA(window, 0, "_AOL_Checkbox", nullptr);
  YieldOnce();
  // Click only while the box does not read the wanted state, and after each click wait for
  // the client to show it, so a slow client is not clicked twice.
  for (int click = 0; box != 0 && click < kMaxClicks && ReadsChecked(box) != ignored; ++click) {
    win32::PostMessageA(box, win32::WM_LBUTTONDOWN, 0, 0);
    YieldOnce();
    win32::PostMessageA(box, win32::WM_LBUTTONUP, 0, 0);
    YieldOnce();
    clock.restart();
    while (ReadsChecked(box) != ignored && clock.elapsed() < kCheckWaitMs) Pause(0.02);
  }
  YieldOnce();
  win32::PostMessageA(window, win32::WM_CLOSE, 0, 0);
  // Wait, briefly, until the window is gone, so the next operation cannot take it for its own.
  clock.restart();
  while (win32::GetWindowThreadProcessId(window, nullptr) != 0 && clock.elapsed() < kCheckWaitMs) {
    Pause(0.02);
  }
}

HWND FindMemberWindow() {
  const HWND mdi = FindMdiClient();
  if (mdi == 0) return 0;
  for (HWND c = win32::FindWindowExA(mdi, 0, "AOL Child", nullptr); c != 0;
       c = win32::FindWindowExA(mdi, c, "AOL Child", nullptr)) {
    const HWND icon = win32::FindWindowExA(c, 0, "_AOL_Icon", nullptr);
    if (HasChild(c, "_AOL_Checkbox") && HasChild(c, "_AOL_Static") && HasChild(c, "_AOL_Glyph") &&
        icon != 0 && win32::FindWindowExA(c, icon, "_AOL_Icon", nullptr) != 0) {
      return c;
    }
  }
  return 0;
}

}  // namespace spindeck
