#include "src/ui/main_window.h"

#include <QCloseEvent>

namespace spindeck {

MainWindow::MainWindow(RuntimeState& state) : state_(state) {
  state_.mainForm = this;
}

MainWindow::~MainWindow() = default;

void MainWindow::SizeAndPaintTitle() {
  resize(216, 144);
}

void MainWindow::StayOnTop() {
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void MainWindow::SnapToEdges() {}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (unload_) unload_();
  event->accept();
}

}  // namespace spindeck
