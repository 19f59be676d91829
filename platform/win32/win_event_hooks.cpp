// SetWinEventHook and UnhookWinEvent: the hooks of a thread share that thread's event
// connection, which ends with the thread.
#include <QAbstractEventDispatcher>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/win32/event_connection.h"
#include "platform/win32/win32.h"

namespace win32 {
namespace {

thread_local std::unique_ptr<EventConnection> connection;

bool EventsSwitchedOff() {
  const char* value = std::getenv("SPINDECK_WINEVENTS");
  return value != nullptr && std::strcmp(value, "0") == 0;
}

HWINEVENTHOOK NextHookId() {
  static std::atomic<HWINEVENTHOOK> counter{1};
  HWINEVENTHOOK id = 0;
  while (id == 0) id = counter++;
  return id;
}

}  // namespace

HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE hmodWinEventProc,
                              WINEVENTPROC pfnWinEventProc, DWORD idProcess, DWORD idThread,
                              DWORD dwFlags) {
  if (!pfnWinEventProc || hmodWinEventProc != nullptr || eventMin > eventMax) return 0;
  if (EventsSwitchedOff() || QAbstractEventDispatcher::instance() == nullptr) return 0;
  if (!connection) connection = std::make_unique<EventConnection>();
  const HWINEVENTHOOK id = NextHookId();
  connection->Add(id, {eventMin, eventMax, idProcess, idThread, dwFlags},
                  std::move(pfnWinEventProc));
  return id;
}

BOOL IsWinEventHookStarted(HWINEVENTHOOK hWinEventHook) {
  return connection && connection->Started(hWinEventHook) ? TRUE : FALSE;
}

// As on Windows, a hook is ended on the thread that set it.
BOOL UnhookWinEvent(HWINEVENTHOOK hWinEventHook) {
  return connection && connection->Remove(hWinEventHook) ? TRUE : FALSE;
}

}  // namespace win32
