// The window functions of win32.h, each one call over the desktop socket.
#include <algorithm>
#include <cstring>

#include "platform/win32/desktop_client.h"
#include "platform/win32/win32.h"

namespace win32 {
namespace {

using protocol::Op;
using protocol::Request;

Request Make(Op op, std::uint64_t a = 0, std::uint64_t b = 0, std::uint64_t c = 0,
             std::uint64_t d = 0) {
  Request r;
  r.op = op;
  r.a = a;
  r.b = b;
  r.c = c;
  r.d = d;
  return r;
}

// Copies text into a caller's buffer of `size` characters: at most size - 1 and a NUL.
int CopyWithNul(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int n = std::min(static_cast<int>(text.size()), size - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

std::int64_t ResultOr(const Request& r, std::int64_t fallback) {
  const auto reply = CallDesktop(r);
  return reply && reply->ok ? reply->result : fallback;
}

}  // namespace

HWND FindWindowA(const char* lpClassName, const char* lpWindowName) {
  return FindWindowExA(0, 0, lpClassName, lpWindowName);
}

HWND FindWindowExA(HWND hWndParent, HWND hWndChildAfter, const char* lpszClass,
                   const char* lpszWindow) {
  Request r = Make(Op::kFindWindow, hWndParent, hWndChildAfter);
  if (lpszClass != nullptr) {
    r.hasText1 = true;
    r.text1 = lpszClass;
  }
  if (lpszWindow != nullptr) {
    r.hasText2 = true;
    r.text2 = lpszWindow;
  }
  return static_cast<HWND>(ResultOr(r, 0));
}

namespace {

// One sent message; false when the window does not exist or the owner did not answer.
bool Send(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, int timeoutMs, LRESULT& result) {
  result = 0;
  if (hWnd == 0) return false;
  Request r = Make(Op::kSendMessage, hWnd, Msg, wParam, 0);
  char* buffer = reinterpret_cast<char*>(lParam);
  switch (Msg) {
    case WM_SETTEXT:
      if (buffer != nullptr) r.text1 = buffer;
      break;
    case WM_GETTEXT:
    case EM_GETLINE:
    case EM_GETLINEBYSERIAL:
      break;  // the buffer stays here; only its size travels
    default:
      r.d = static_cast<std::uint64_t>(lParam);
      break;
  }
  const auto reply = CallDesktop(r, timeoutMs);
  if (!reply || !reply->ok) {
    if (Msg == WM_GETTEXT && buffer != nullptr && wParam > 0) buffer[0] = '\0';
    return false;
  }
  if (Msg == WM_GETTEXT) {
    result = CopyWithNul(reply->text, buffer, static_cast<int>(std::min<WPARAM>(wParam, 1u << 30)));
  } else if (Msg == EM_GETLINE || Msg == EM_GETLINEBYSERIAL) {
    if (buffer == nullptr) return true;
    WORD size = 0;
    std::memcpy(&size, buffer, sizeof size);
    const std::size_t n = std::min<std::size_t>(reply->text.size(), size);
    std::memcpy(buffer, reply->text.data(), n);
    result = static_cast<LRESULT>(n);
  } else {
    result = reply->result;
  }
  return true;
}

}  // namespace

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  Send(hWnd, Msg, wParam, lParam, kCallTimeoutMs, result);
  return result;
}

LRESULT SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT, UINT uTimeout,
                            DWORD_PTR* lpdwResult) {
  LRESULT result = 0;
  const int timeoutMs = static_cast<int>(std::min<UINT>(uTimeout, kCallTimeoutMs));
  const bool ok = Send(hWnd, Msg, wParam, lParam, timeoutMs, result);
  if (lpdwResult != nullptr) *lpdwResult = static_cast<DWORD_PTR>(result);
  return ok ? TRUE : FALSE;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == 0) return FALSE;
  return ResultOr(Make(Op::kPostMessage, hWnd, Msg, wParam, static_cast<std::uint64_t>(lParam)),
                  0) != 0
             ? TRUE
             : FALSE;
}

int GetWindowTextA(HWND hWnd, char* lpString, int nMaxCount) {
  if (lpString != nullptr && nMaxCount > 0) lpString[0] = '\0';
  if (hWnd == 0) return 0;
  const auto reply = CallDesktop(Make(Op::kGetWindowText, hWnd));
  if (!reply || !reply->ok) return 0;
  return CopyWithNul(reply->text, lpString, nMaxCount);
}

int GetWindowTextLengthA(HWND hWnd) {
  if (hWnd == 0) return 0;
  const auto reply = CallDesktop(Make(Op::kGetWindowText, hWnd));
  return reply && reply->ok ? static_cast<int>(reply->text.size()) : 0;
}

HMENU GetMenu(HWND hWnd) {
  if (hWnd == 0) return 0;
  return static_cast<HMENU>(ResultOr(Make(Op::kGetMenu, hWnd), 0));
}

int GetMenuItemCount(HMENU hMenu) {
  if (hMenu == 0) return -1;
  return static_cast<int>(ResultOr(Make(Op::kGetMenuItemCount, hMenu), -1));
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  if (hMenu == 0) return 0;
  return static_cast<HMENU>(
      ResultOr(Make(Op::kGetSubMenu, hMenu, static_cast<std::uint64_t>(nPos)), 0));
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  if (hMenu == 0) return 0xFFFFFFFF;
  return static_cast<UINT>(
      ResultOr(Make(Op::kGetMenuItemId, hMenu, static_cast<std::uint64_t>(nPos)), 0xFFFFFFFF));
}

int GetMenuStringA(HMENU hMenu, UINT uIDItem, char* lpString, int cchMax, UINT flags) {
  if (hMenu == 0) return 0;
  const auto reply = CallDesktop(Make(Op::kGetMenuString, hMenu, uIDItem, flags));
  if (!reply || !reply->ok) return 0;
  if (lpString == nullptr) return static_cast<int>(reply->text.size());
  return CopyWithNul(reply->text, lpString, cchMax);
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId) {
  if (lpdwProcessId != nullptr) *lpdwProcessId = 0;
  if (hWnd == 0) return 0;
  const auto reply = CallDesktop(Make(Op::kGetWindowProcess, hWnd));
  if (!reply || !reply->ok) return 0;
  if (lpdwProcessId != nullptr) *lpdwProcessId = static_cast<DWORD>(reply->extra);
  return static_cast<DWORD>(reply->result);
}

}  // namespace win32
