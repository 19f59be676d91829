#pragma once
// An MDI sub-window that holds the view of one served document window. Closing it asks the
// served window to close (and it goes once the served one has); windows that cannot be closed
// stay.
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <memory>

#include "aolsim/window/window_view.h"

namespace aolsim::window {

class ServedSubWindow : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit ServedSubWindow(std::unique_ptr<WindowView> view);
  ~ServedSubWindow() override;
  WindowView& view() { return *view_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<WindowView> view_;
};

}  // namespace aolsim::window
