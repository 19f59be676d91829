#include "platform/win32/window_tree.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/text/letter_case.h"

namespace win32 {

bool SameClass(const std::string& a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (platform::LowerAsciiByte(static_cast<unsigned char>(a[i])) !=
        platform::LowerAsciiByte(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Handles start high and odd, so that a stale or made-up handle is unlikely to name a window.
WindowTree::WindowTree() : next_(0x00010001) {}

HWND WindowTree::Insert(HWND parent, const std::string& className, const std::string& caption,
                        WindowProc proc, bool top) {
  std::lock_guard guard(lock_);
  if (parent != 0 && !windows_.count(parent)) return 0;
  const HWND handle = next_;
  next_ += 2;
  windows_[handle] = Window{parent, className, caption, {}, std::move(proc), 0};
  if (parent != 0) {
    auto& siblings = windows_[parent].children;
    if (top) {
      siblings.insert(siblings.begin(), handle);
    } else {
      siblings.push_back(handle);
    }
  }
  NotifyWinEvent(EVENT_OBJECT_CREATE, handle);
  return handle;
}

HWND WindowTree::Create(HWND parent, const std::string& className, const std::string& caption,
                        WindowProc proc) {
  return Insert(parent, className, caption, std::move(proc), true);
}

HWND WindowTree::CreateBottom(HWND parent, const std::string& className, const std::string& caption,
                              WindowProc proc) {
  return Insert(parent, className, caption, std::move(proc), false);
}

void WindowTree::Destroy(HWND window) {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  const std::vector<HWND> children = it->second.children;
  for (HWND child : children) Destroy(child);
  it = windows_.find(window);
  if (it == windows_.end()) return;
  const HWND parent = it->second.parent;
  windows_.erase(it);
  auto p = windows_.find(parent);
  if (p != windows_.end()) std::erase(p->second.children, window);
  NotifyWinEvent(EVENT_OBJECT_DESTROY, window);
}

bool WindowTree::Exists(HWND window) const {
  std::lock_guard guard(lock_);
  return window != 0 && windows_.count(window) != 0;
}

void WindowTree::BringToTop(HWND window) {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  auto p = windows_.find(it->second.parent);
  if (p == windows_.end()) return;
  auto& siblings = p->second.children;
  if (!siblings.empty() && siblings.front() == window) return;  // already on top
  std::erase(siblings, window);
  siblings.insert(siblings.begin(), window);
  NotifyWinEvent(EVENT_OBJECT_REORDER, it->second.parent);
}

HWND WindowTree::Parent(HWND window) const {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  return it == windows_.end() ? 0 : it->second.parent;
}

std::vector<HWND> WindowTree::Children(HWND parent) const {
  std::lock_guard guard(lock_);
  if (parent == 0) {
    std::vector<HWND> top;
    for (const auto& [handle, w] : windows_) {
      if (w.parent == 0) top.push_back(handle);
    }
    return top;
  }
  auto it = windows_.find(parent);
  return it == windows_.end() ? std::vector<HWND>{} : it->second.children;
}

std::string WindowTree::Caption(HWND window) const {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  return it == windows_.end() ? std::string() : it->second.caption;
}

void WindowTree::SetCaption(HWND window, const std::string& caption) {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.caption == caption) return;
  it->second.caption = caption;
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window);
}

std::string WindowTree::ClassName(HWND window) const {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  return it == windows_.end() ? std::string() : it->second.className;
}

void WindowTree::SetProc(HWND window, WindowProc proc) {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.proc = std::move(proc);
}

HWND WindowTree::FindChild(HWND parent, HWND after, const char* className,
                           const char* caption) const {
  std::lock_guard guard(lock_);
  const std::vector<HWND> children = Children(parent);
  auto it = children.begin();
  if (after != 0) {
    it = std::find(children.begin(), children.end(), after);
    if (it == children.end()) return 0;
    ++it;
  }
  for (; it != children.end(); ++it) {
    const Window& w = windows_.at(*it);
    if (className != nullptr && !SameClass(w.className, className)) continue;
    if (caption != nullptr && w.caption != caption) continue;
    return *it;
  }
  return 0;
}

MessageResult WindowTree::Dispatch(HWND window, const Message& message) {
  std::lock_guard guard(lock_);
  MessageResult result;
  auto it = windows_.find(window);
  if (it == windows_.end()) return result;
  const WindowProc proc = it->second.proc;  // a copy: the handler may destroy the window
  if (proc && proc(window, message, result)) return result;
  it = windows_.find(window);
  if (it == windows_.end()) return result;
  switch (message.msg) {
    case WM_SETTEXT:
      SetCaption(window, message.text);
      result.result = TRUE;
      break;
    case WM_GETTEXT:
      result.text = it->second.caption;
      break;
    case WM_GETTEXTLENGTH:
      result.result = static_cast<LRESULT>(it->second.caption.size());
      break;
    default:
      break;
  }
  return result;
}

HMENU WindowTree::CreateMenu() {
  std::lock_guard guard(lock_);
  const HMENU menu = nextMenu_++;
  menus_[menu];
  return menu;
}

void WindowTree::AppendItem(HMENU menu, UINT id, const std::string& text) {
  std::lock_guard guard(lock_);
  auto it = menus_.find(menu);
  if (it != menus_.end()) it->second.push_back({id, 0, text});
}

void WindowTree::AppendSubMenu(HMENU menu, HMENU sub, const std::string& text) {
  std::lock_guard guard(lock_);
  auto it = menus_.find(menu);
  if (it != menus_.end()) it->second.push_back({0xFFFFFFFF, sub, text});
}

void WindowTree::SetMenu(HWND window, HMENU menu) {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.menu = menu;
}

HMENU WindowTree::Menu(HWND window) const {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  return it == windows_.end() ? 0 : it->second.menu;
}

int WindowTree::MenuItemCount(HMENU menu) const {
  std::lock_guard guard(lock_);
  auto it = menus_.find(menu);
  return it == menus_.end() ? -1 : static_cast<int>(it->second.size());
}

HMENU WindowTree::SubMenu(HMENU menu, int position) const {
  std::lock_guard guard(lock_);
  auto it = menus_.find(menu);
  if (it == menus_.end() || position < 0 || position >= static_cast<int>(it->second.size())) {
    return 0;
  }
  return it->second[static_cast<std::size_t>(position)].sub;
}

UINT WindowTree::MenuItemId(HMENU menu, int position) const {
  std::lock_guard guard(lock_);
  auto it = menus_.find(menu);
  if (it == menus_.end() || position < 0 || position >= static_cast<int>(it->second.size())) {
    return 0xFFFFFFFF;
  }
  const MenuItem& item = it->second[static_cast<std::size_t>(position)];
  return item.sub != 0 ? 0xFFFFFFFF : item.id;
}

bool WindowTree::MenuString(HMENU menu, UINT item, UINT flags, std::string& text) const {
  std::lock_guard guard(lock_);
  auto it = menus_.find(menu);
  if (it == menus_.end()) return false;
  const auto& items = it->second;
  if (flags & MF_BYPOSITION) {
    if (item >= items.size()) return false;
    text = items[item].text;
    return true;
  }
  for (const MenuItem& i : items) {
    if (i.sub == 0 && i.id == item) {
      text = i.text;
      return true;
    }
  }
  return false;
}

void WindowTree::ClearMenus(HWND window) {
  std::lock_guard guard(lock_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.menu = 0;
}

}  // namespace win32

namespace win32 {

void WindowTree::NotifyWinEvent(DWORD event, HWND window) {
  std::lock_guard guard(lock_);
  if (eventSink_) eventSink_(event, window);
}

void WindowTree::SetEventSink(EventSink sink) {
  std::lock_guard guard(lock_);
  eventSink_ = std::move(sink);
}

}  // namespace win32
