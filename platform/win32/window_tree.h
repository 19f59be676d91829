#pragma once
// The windows of a process that serves the desktop: a tree of windows with classes, captions,
// z-order, menus and a message handler each. The desktop host answers the window services
// of other processes from it. All members are thread-safe (one recursive lock), so a test may
// build windows from its own thread while the host serves them on another; handlers run on
// the host's thread, with the lock held, and may change the tree.
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace win32 {

struct Message {
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::string text;  // WM_SETTEXT: the text; WM_GETTEXT / EM_GETLINE: unused
};

struct MessageResult {
  LRESULT result = 0;
  std::string text;  // WM_GETTEXT / EM_GETLINE: the text to copy into the caller's buffer
};

// A handler returns true when it handled the message; otherwise the default handling runs:
// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH on the caption, anything else 0.
using WindowProc = std::function<bool(HWND, const Message&, MessageResult&)>;

class WindowTree {
 public:
  WindowTree();

  // A new window under parent (0: top level), on top of its siblings. Returns its handle.
  HWND Create(HWND parent, const std::string& className, const std::string& caption,
              WindowProc proc = {});
  // A new window under parent, below all its siblings (the order a dialog's controls have).
  HWND CreateBottom(HWND parent, const std::string& className, const std::string& caption,
                    WindowProc proc = {});
  // Destroys the window and all its children.
  void Destroy(HWND window);
  bool Exists(HWND window) const;
  void BringToTop(HWND window);
  HWND Parent(HWND window) const;
  std::vector<HWND> Children(HWND parent) const;  // z-order, top first

  std::string Caption(HWND window) const;
  void SetCaption(HWND window, const std::string& caption);
  std::string ClassName(HWND window) const;
  void SetProc(HWND window, WindowProc proc);

  // FindWindowExA: the next direct child after `after` whose class (any case) and caption
  // match; nullptr matches anything.
  HWND FindChild(HWND parent, HWND after, const char* className, const char* caption) const;

  // Delivers a message now (the host calls it for sent and posted messages alike).
  MessageResult Dispatch(HWND window, const Message& message);

  // Menus: a menu holds items, each either a command (id, text) or a submenu (text).
  HMENU CreateMenu();
  void AppendItem(HMENU menu, UINT id, const std::string& text);
  void AppendSubMenu(HMENU menu, HMENU sub, const std::string& text);
  void SetMenu(HWND window, HMENU menu);
  HMENU Menu(HWND window) const;
  int MenuItemCount(HMENU menu) const;  // -1 for no menu
  HMENU SubMenu(HMENU menu, int position) const;
  UINT MenuItemId(HMENU menu, int position) const;  // 0xFFFFFFFF for a submenu or no item
  // The text of an item by command id (searching the menu itself) or by position; false when
  // there is none.
  bool MenuString(HMENU menu, UINT item, UINT flags, std::string& text) const;
  void ClearMenus(HWND window);

  // Tells the desktop's subscribers of an event of the window (NotifyWinEvent). The tree
  // sends EVENT_OBJECT_CREATE, EVENT_OBJECT_DESTROY, EVENT_OBJECT_REORDER (for the parent) and
  // EVENT_OBJECT_NAMECHANGE itself; a window whose handler keeps a text of its own, such as a
  // transcript, sends EVENT_OBJECT_VALUECHANGE when that text changes.
  void NotifyWinEvent(DWORD event, HWND window);
  // Where the events go (the desktop host); called with the tree's lock held, on the thread
  // that changed the tree. Empty: nowhere.
  using EventSink = std::function<void(DWORD event, HWND window)>;
  void SetEventSink(EventSink sink);

  std::recursive_mutex& lock() const { return lock_; }

 private:
  struct Window {
    HWND parent = 0;
    std::string className;
    std::string caption;
    std::vector<HWND> children;  // top first
    WindowProc proc;
    HMENU menu = 0;
  };
  struct MenuItem {
    UINT id = 0xFFFFFFFF;
    HMENU sub = 0;
    std::string text;
  };

  HWND Insert(HWND parent, const std::string& className, const std::string& caption,
              WindowProc proc, bool top);

  mutable std::recursive_mutex lock_;
  std::map<HWND, Window> windows_;
  std::map<HMENU, std::vector<MenuItem>> menus_;
  HWND next_;
  HMENU nextMenu_ = 1;
  EventSink eventSink_;
};

// Case-blind comparison of class names.
bool SameClass(const std::string& a, const char* b);

}  // namespace win32
