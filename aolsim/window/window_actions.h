#pragma once
// What the user does in the view, done to the served windows by their own messages, so that
// a program sees the same as after its own WM_SETTEXT, WM_CHAR or clicks.
#include <string>

#include "platform/win32/window_tree.h"

namespace aolsim::window {

// WM_SETTEXT with the text (Windows-1252), then WM_CHAR 13: typed and Enter pressed.
void TypeAndEnter(win32::WindowTree& tree, win32::HWND box, const std::string& text);
// A left button down and up on the control.
void Click(win32::WindowTree& tree, win32::HWND control);
// The item at the index selected (LB_SETCURSEL), then a double click on the list.
void DoubleClickItem(win32::WindowTree& tree, win32::HWND list, int index);
void Close(win32::WindowTree& tree, win32::HWND window);

}  // namespace aolsim::window
