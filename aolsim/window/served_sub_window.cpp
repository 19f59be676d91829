#include "aolsim/window/served_sub_window.h"

namespace aolsim::window {

ServedSubWindow::ServedSubWindow(std::unique_ptr<WindowView> view) : view_(std::move(view)) {
  setWidget(view_.get());
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(view_->size() + QSize(16, 32));
}

ServedSubWindow::~ServedSubWindow() {
  // The view goes first, so that the sub-window does not delete it as its child.
  setWidget(nullptr);
  view_.reset();
}

void ServedSubWindow::closeEvent(QCloseEvent* event) {
  // The sub-window goes when the served window has gone, at the next refresh.
  event->ignore();
  view_->RequestClose();
}

}  // namespace aolsim::window
