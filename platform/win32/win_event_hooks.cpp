// SetWinEventHook and UnhookWinEvent. Not served yet: every hook is refused, so callers poll.
#include "platform/win32/win32.h"

namespace win32 {

HWINEVENTHOOK SetWinEventHook(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD) {
  return 0;
}

BOOL UnhookWinEvent(HWINEVENTHOOK) {
  return FALSE;
}

}  // namespace win32
