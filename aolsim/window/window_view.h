#pragma once
// What every view of a served document window does: it draws the window as the tree and the
// client hold it now, and it asks for the window to be closed the way a program would.
#include <QWidget>

#include "platform/win32/win32.h"

namespace aolsim::window {

class WindowView : public QWidget {
 public:
  explicit WindowView(win32::HWND window) : window_(window) {}
  win32::HWND window() const { return window_; }
  // Called with the tree's lock held.
  virtual void Refresh() = 0;
  // The user closes the window; false when this window cannot be closed.
  virtual bool RequestClose() { return false; }

 private:
  win32::HWND window_;
};

}  // namespace aolsim::window
