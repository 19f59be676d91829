#pragma once
// Dragging a window by a handle widget: a left press on the handle starts the window system's
// move where the platform offers one, and otherwise the window follows the mouse until the
// button is released. When the drag ends, the window is told it was dropped.
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace spindeck {

class WindowDrag : public QObject {
 public:
  WindowDrag(QWidget& window, QWidget& handle, std::function<void()> dropped);
  ~WindowDrag() override;

  // A blocked drag ignores presses on the handle, e.g. while the dropped window slides.
  void setBlocked(bool blocked) { blocked_ = blocked; }
  bool dragging() const { return mode_ != Mode::kNone; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Mode { kNone, kSystem, kFollow };

  void begin(QPoint globalPress);
  bool watchSystemMove(QObject* watched, QEvent* event);
  void checkSystemMove();
  void finish();

  QWidget& window_;
  QWidget& handle_;
  std::function<void()> dropped_;
  bool blocked_ = false;
  Mode mode_ = Mode::kNone;
  QPoint grabOffset_;  // from the window's top-left to the press, while it follows the mouse
  // The window system's move gives the program no event of its own when it ends; the button's
  // release, or the window resting with the button up, tells.
  QTimer moveWatch_;
  QElapsedTimer sinceMoved_;
};

}  // namespace spindeck
