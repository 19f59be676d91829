// Reading another process's memory, as the member list of the chat client needs it.
#include <sys/uio.h>

#include <cerrno>
#include <csignal>

#include "platform/win32/win32.h"

namespace win32 {

struct ProcessHandleTag {
  pid_t pid;
};

namespace {
// Handles live in a small fixed table, so a stale or made-up handle is recognised and no
// memory is allocated per handle.
constexpr int kSlots = 64;
struct Table {
  ProcessHandleTag slots[kSlots];
  bool used[kSlots] = {};
};
Table& Handles() {
  static Table table;
  return table;
}
bool Valid(HANDLE h) {
  Table& t = Handles();
  for (int i = 0; i < kSlots; ++i) {
    if (t.used[i] && &t.slots[i] == h) return true;
  }
  return false;
}
}  // namespace

HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId) {
  if ((dwDesiredAccess & PROCESS_VM_READ) == 0 || dwProcessId == 0) return nullptr;
  const auto pid = static_cast<pid_t>(dwProcessId);
  if (::kill(pid, 0) != 0 && errno != EPERM) return nullptr;
  // An empty read tells whether this process may read that one at all.
  char probe = 0;
  iovec local{&probe, 0};
  iovec remote{nullptr, 0};
  if (::process_vm_readv(pid, &local, 1, &remote, 1, 0) < 0) return nullptr;
  Table& t = Handles();
  for (int i = 0; i < kSlots; ++i) {
    if (!t.used[i]) {
      t.used[i] = true;
      t.slots[i].pid = pid;
      return &t.slots[i];
    }
  }
  return nullptr;
}

BOOL ReadProcessMemory(HANDLE hProcess, LPCVOID lpBaseAddress, LPVOID lpBuffer, SIZE_T nSize,
                       SIZE_T* lpNumberOfBytesRead) {
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  if (!Valid(hProcess) || lpBuffer == nullptr) return FALSE;
  iovec local{lpBuffer, nSize};
  iovec remote{const_cast<void*>(lpBaseAddress), nSize};
  const ssize_t n = ::process_vm_readv(hProcess->pid, &local, 1, &remote, 1, 0);
  if (n < 0) return FALSE;
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = static_cast<SIZE_T>(n);
  return static_cast<SIZE_T>(n) == nSize ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE hObject) {
  Table& t = Handles();
  for (int i = 0; i < kSlots; ++i) {
    if (t.used[i] && &t.slots[i] == hObject) {
      t.used[i] = false;
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace win32
