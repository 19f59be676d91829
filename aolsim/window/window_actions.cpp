#include "aolsim/window/window_actions.h"

namespace aolsim::window {

using win32::Message;

void TypeAndEnter(win32::WindowTree& tree, win32::HWND box, const std::string& text) {
  Message set{win32::WM_SETTEXT, 0, 0, text};
  tree.Dispatch(box, set);
  tree.Dispatch(box, Message{win32::WM_CHAR, 13, 0, {}});
}

void Click(win32::WindowTree& tree, win32::HWND control) {
  tree.Dispatch(control, Message{win32::WM_LBUTTONDOWN, 0, 0, {}});
  tree.Dispatch(control, Message{win32::WM_LBUTTONUP, 0, 0, {}});
}

void DoubleClickItem(win32::WindowTree& tree, win32::HWND list, int index) {
  if (index < 0) return;
  tree.Dispatch(list, Message{win32::LB_SETCURSEL, static_cast<win32::WPARAM>(index), 0, {}});
  tree.Dispatch(list, Message{win32::WM_LBUTTONDBLCLK, 0, 0, {}});
}

void Close(win32::WindowTree& tree, win32::HWND window) {
  tree.Dispatch(window, Message{win32::WM_CLOSE, 0, 0, {}});
}

}  // namespace aolsim::window
