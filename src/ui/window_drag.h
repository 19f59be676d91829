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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // kSettling: the window system's move has ended, and its last placing of the window may
  // still be on its way.
  enum class Mode { kNone, kSystem, kSettling, kFollow };

  void begin(QPoint globalPress);
  bool watchSystemMove(QObject* watched, QEvent* event);
  void checkSystemMove();
  void settle();
  void finish();

  QWidget& window_;
  QWidget& handle_;
  std::function<void()> dropped_;
  bool blocked_ = false;
  Mode mode_ = Mode::kNone;
  QPoint grabOffset_;  // from the window's top-left to the press, while it follows the mouse
  // The window system's move gives the program no event of its own when it ends; the button's
  // release (which Qt makes up where the window system kept it), a plain mouse move, the
  // button found up while the window rests, or a new press tells.
  QTimer moveWatch_;
  QElapsedTimer sinceMoved_;
  // Restarted by every placing of the window after the move ended; when it runs out, the
  // window has its final position.
  QTimer settled_;
};

}  // namespace spindeck
