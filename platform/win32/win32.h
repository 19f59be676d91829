#pragma once
// The window and process services through which the program drives the chat client, a
// separate process. The functions keep the names, argument order and results of their
// Windows namesakes. Window calls travel over "the desktop", a Unix-domain socket served by
// the process that owns the windows (see desktop_host.h); memory is read with
// process_vm_readv.
//
// Every window call is synchronous and does not turn any event loop. A call that gets no
// answer within 2 seconds fails as if the window did not exist (0 or an empty text), and the
// next call tries afresh. Calls of one thread share one connection, opened again after an
// error: a client that dies or restarts is found again by the next call. With no process
// listening on the desktop there is no client: FindWindowA gives 0 and every later step gives
// nothing.
//
// Window events (SetWinEventHook) tell a process of changes in the client's windows as they
// happen, so that it need not poll them. They arrive on the event loop of the thread that set
// the hook.
//
// Text is 8-bit Windows-1252, NUL-terminated where Windows terminates it.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace win32 {

using HWND = std::uint32_t;   // 0 = no window
using HMENU = std::uint32_t;  // 0 = no menu
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using BOOL = int;
using WORD = std::uint16_t;
using SIZE_T = std::size_t;
using LPCVOID = const void*;
using LPVOID = void*;

using LONG = std::int32_t;

// An open process, from OpenProcess; nullptr = none. Released by CloseHandle.
struct ProcessHandleTag;
using HANDLE = ProcessHandleTag*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Window messages.
constexpr UINT WM_SETTEXT = 12;        // lParam: const char* text; returns TRUE
constexpr UINT WM_GETTEXT = 13;        // wParam: buffer size; lParam: char* buffer
constexpr UINT WM_GETTEXTLENGTH = 14;  // returns the text length
constexpr UINT WM_CLOSE = 16;
constexpr UINT WM_CHAR = 258;  // wParam: character code
constexpr UINT WM_LBUTTONDOWN = 513;
constexpr UINT WM_LBUTTONUP = 514;
constexpr UINT WM_LBUTTONDBLCLK = 515;
constexpr UINT BM_GETCHECK = 240;
constexpr UINT LB_SETCURSEL = 390;
constexpr UINT LB_GETCOUNT = 395;
constexpr UINT LB_GETITEMDATA = 409;
constexpr UINT EM_GETLINECOUNT = 0xBA;
// wParam: line index; lParam: char* buffer whose first WORD holds its size in characters.
// Returns the characters copied; no NUL is added.
constexpr UINT EM_GETLINE = 0xC4;

// Private messages of the chat client's transcript (a read-only rich edit control), above
// WM_USER as the private messages of Windows controls are. Every line that enters a
// transcript gets the next serial number of that transcript, counting from 1; a serial is
// never given twice, so a reader that remembers the last serial it read finds exactly the
// lines that came after it, however many were trimmed meanwhile, without comparing texts.
// A control that lacks these messages answers 0 to both.
constexpr UINT WM_USER = 0x400;
// Returns the serial that the next line will get (at least 1).
constexpr UINT EM_GETNEXTLINESERIAL = WM_USER + 200;
// wParam: a serial; lParam: char* buffer whose first WORD holds its size in characters, as for
// EM_GETLINE. Copies that line and returns the characters copied; no NUL is added. Returns 0
// when no line with that serial is in the transcript (not yet said, or trimmed).
constexpr UINT EM_GETLINEBYSERIAL = WM_USER + 201;
// Returns the serial of the oldest line the transcript still holds (the next serial when it
// holds none): every serial below it was trimmed, so a reader skips them in one step.
constexpr UINT EM_GETFIRSTLINESERIAL = WM_USER + 202;

// Window events, for SetWinEventHook and NotifyWinEvent.
constexpr DWORD EVENT_OBJECT_CREATE = 0x8000;       // a window was made
constexpr DWORD EVENT_OBJECT_DESTROY = 0x8001;      // a window was destroyed
constexpr DWORD EVENT_OBJECT_REORDER = 0x8004;      // hwnd's children changed their z-order
constexpr DWORD EVENT_OBJECT_NAMECHANGE = 0x800C;   // a window's caption changed
constexpr DWORD EVENT_OBJECT_VALUECHANGE = 0x800E;  // a control's text changed
// Our own event, outside the system's ranges: events were lost (the subscriber fell behind, or
// its connection to the client was broken and made again). hwnd is 0. Every hook gets it,
// whatever its range: whatever the hook watches must be read again.
constexpr DWORD EVENT_SPINDECK_EVENTSLOST = 0x0001FFFF;
constexpr DWORD EVENT_MIN = 0x00000001;
constexpr DWORD EVENT_MAX = 0x7FFFFFFF;

// SetWinEventHook flags.
constexpr DWORD WINEVENT_OUTOFCONTEXT = 0x0000;   // the only kind there is here
constexpr DWORD WINEVENT_SKIPOWNTHREAD = 0x0001;  // accepted; no window is owned by a caller
constexpr DWORD WINEVENT_SKIPOWNPROCESS = 0x0002;

// Menu flags.
constexpr UINT MF_BYCOMMAND = 0;
constexpr UINT MF_BYPOSITION = 0x400;

// Process access rights.
constexpr DWORD PROCESS_VM_READ = 0x10;
constexpr DWORD STANDARD_RIGHTS_REQUIRED = 0xF0000;

// Top-level window whose class (any case) and title match; nullptr matches anything.
HWND FindWindowA(const char* lpClassName, const char* lpWindowName);

// Next direct child of hWndParent (0 = the desktop, i.e. top-level windows) in z-order, top
// first, after hWndChildAfter (0 = from the first), whose class (any case) and title match;
// nullptr matches anything. 0 when there is none.
HWND FindWindowExA(HWND hWndParent, HWND hWndChildAfter, const char* lpszClass,
                   const char* lpszWindow);

// Sends a message and waits for its result; 0 when the window does not exist or the owner
// does not answer in time. For WM_SETTEXT lParam is the text; for WM_GETTEXT and EM_GETLINE
// it is the caller's buffer, filled with Windows' truncation and NUL rules.
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// As SendMessageA, but tells a failed call from a result of 0: returns non-zero and stores the
// result when the owner answered, 0 when the window does not exist or the owner did not answer
// within uTimeout milliseconds (at most the call bound above). fuFlags is accepted and ignored.
using DWORD_PTR = std::uintptr_t;
LRESULT SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                            UINT uTimeout, DWORD_PTR* lpdwResult);
constexpr UINT SMTO_NORMAL = 0;

// Queues a message for the window and returns once the owner has queued it (TRUE), or FALSE.
// The owner handles it later. lParam travels as a plain number.
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Copies at most nMaxCount - 1 characters of the window's caption and a NUL; returns the
// characters copied (0 and an empty buffer when the window does not exist).
int GetWindowTextA(HWND hWnd, char* lpString, int nMaxCount);
int GetWindowTextLengthA(HWND hWnd);

// Menu bar of a window (0 = none); item count (-1 for an invalid menu); submenu at a
// position (0 = none); command id at a position (0xFFFFFFFF for a submenu or no item).
HMENU GetMenu(HWND hWnd);
int GetMenuItemCount(HMENU hMenu);
HMENU GetSubMenu(HMENU hMenu, int nPos);
UINT GetMenuItemID(HMENU hMenu, int nPos);

// Copies the item's text (by command id with MF_BYCOMMAND, by position with MF_BYPOSITION):
// at most cchMax - 1 characters and a NUL. Returns the characters copied, 0 when there is no
// such item; with lpString nullptr returns the text's length.
int GetMenuStringA(HMENU hMenu, UINT uIDItem, char* lpString, int cchMax, UINT flags);

// Returns the owner's thread id (non-zero) and stores its process id, or 0 when the window
// does not exist (the process id is then set to 0).
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId);

// Opens a process for reading its memory. Needs PROCESS_VM_READ in the access mask; fails
// (nullptr) when the process does not exist or cannot be read.
HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);

// Reads nSize bytes at lpBaseAddress of the process into lpBuffer. TRUE only when all bytes
// were read; the count read is stored when lpNumberOfBytesRead is not nullptr.
BOOL ReadProcessMemory(HANDLE hProcess, LPCVOID lpBaseAddress, LPVOID lpBuffer, SIZE_T nSize,
                       SIZE_T* lpNumberOfBytesRead);

BOOL CloseHandle(HANDLE hObject);

// A window event hook, from SetWinEventHook; 0 = none.
using HWINEVENTHOOK = std::uint32_t;
using HMODULE = void*;
// The hook's callback, with the arguments of its Windows namesake: the hook, the event, the
// window, the object and child ids (OBJID_WINDOW = 0 and CHILDID_SELF = 0 here), the owner's
// thread id and the event's time in milliseconds. A std::function rather than a bare function
// pointer, so that a callback can reach its object without a global.
using WINEVENTPROC =
    std::function<void(HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject,
                       LONG idChild, DWORD idEventThread, DWORD dwmsEventTime)>;

// Watches the events from eventMin to eventMax (inclusive) of the windows of process
// idProcess (0: every process) and thread idThread (0: every thread) on the desktop, out of
// context: pfnWinEventProc runs later, on the event loop of the calling thread, one event
// after the other, never inside another callback or inside a window call. hmodWinEventProc
// must be nullptr.
//
// Returns 0 for wrong arguments (no callback, a module, eventMin above eventMax), on a thread
// without an event loop, or when events are switched off (SPINDECK_WINEVENTS=0, for a test of
// the polling that a caller falls back to). Otherwise the hook watches the desktop whether or
// not a client listens on it now: whenever a client that offers events is found (again), the
// hook gets EVENT_SPINDECK_EVENTSLOST, and from then on that client's events; when the client
// dies, the hook gets EVENT_SPINDECK_EVENTSLOST too.
HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE hmodWinEventProc,
                              WINEVENTPROC pfnWinEventProc, DWORD idProcess, DWORD idThread,
                              DWORD dwFlags);
// Ours: TRUE while the hook's events flow, that is once an owner confirmed its subscription
// and until the connection to it is lost. An owner that refuses a subscriber (an older client,
// or one whose subscriber table is full) never starts the hook: its caller must poll.
BOOL IsWinEventHookStarted(HWINEVENTHOOK hWinEventHook);
// Ends a hook, on the thread that set it (also from inside a callback); its callback is not
// called again, even for events already received. FALSE for a hook that does not exist or
// belongs to another thread.
BOOL UnhookWinEvent(HWINEVENTHOOK hWinEventHook);

}  // namespace win32
