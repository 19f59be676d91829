#pragma once
// The view of a chatter's window: the name and the Ignore box. Clicking the box clicks the
// served box; whether it is ticked is what BM_GETCHECK answers.
#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "aolsim/window/window_view.h"
#include "platform/win32/window_tree.h"

namespace aolsim::window {

class ChatterView : public WindowView {
  Q_OBJECT
 public:
  ChatterView(win32::WindowTree& tree, win32::HWND chatter);
  void Refresh() override;
  // WM_CLOSE to the chatter's window.
  bool RequestClose() override;

  QCheckBox& ignore() { return ignore_; }

 private:
  win32::HWND IgnoreBox() const;

  win32::WindowTree& tree_;
  QVBoxLayout layout_{this};
  QLabel name_;
  QCheckBox ignore_{QStringLiteral("Ignore Member")};
};

}  // namespace aolsim::window
