#include "src/ui/edge_snap.h"

namespace spindeck {
namespace {

class Slide {
 public:
  Slide(TwipsRect window, const SnapHooks& hooks) : w_(window), hooks_(hooks) {}

  // One step: events first, then the move. False once the window is gone.
  bool step(int dx, int dy) {
    if (!hooks_.letEventsRun()) return false;
    w_.left += dx;
    w_.top += dy;
    hooks_.place(w_.left, w_.top);
    return true;
  }
  void setLeft(int left) {
    w_.left = left;
    hooks_.place(w_.left, w_.top);
  }
  void setTop(int top) {
    w_.top = top;
    hooks_.place(w_.left, w_.top);
  }
  const TwipsRect& window() const { return w_; }

 private:
  TwipsRect w_;
  const SnapHooks& hooks_;
};

}  // namespace

void SnapToScreenEdges(TwipsRect window, int screenWidth, int screenHeight,
                       const SnapHooks& hooks) {
  Slide s(window, hooks);
  const auto& w = s.window();
  const int step = kSnapStepTwips;
  const int near = kSnapDistanceTwips;

  // Off the left edge.
  if (w.left < 0) {
    while (w.left < 0) {
      if (!s.step(step, 0)) return;
    }
    s.setLeft(0);
  }
  // Off the top edge.
  if (w.top < 0) {
    while (w.top < 0) {
      if (!s.step(0, step)) return;
    }
    s.setTop(0);
  }
  // Off the bottom edge.
  if (w.top + w.height > screenHeight) {
    while (screenHeight - w.height < w.top) {
      if (!s.step(0, -step)) return;
    }
    s.setTop(screenHeight - w.height);
  }
  // Off the right edge.
  if (w.left + w.width > screenWidth) {
    while (screenWidth - w.width < w.left) {
      if (!s.step(-step, 0)) return;
    }
    s.setLeft(screenWidth - w.width);
  }
  // Near the left edge: at least one step, even when already on it.
  if (w.left < near) {
    do {
      if (!s.step(-step, 0)) return;
    } while (w.left > 0);
    s.setLeft(0);
  }
  // Near the top edge, the same.
  if (w.top < near) {
    do {
      if (!s.step(0, -step)) return;
    } while (w.top > 0);
    s.setTop(0);
  }
  // Near the right edge.
  if (w.left + w.width + near > screenWidth) {
    while (w.left + w.width < screenWidth) {
      if (!s.step(step, 0)) return;
    }
    s.setLeft(screenWidth - w.width);
  }
  // Near the bottom edge.
  if (w.top + w.height + near > screenHeight) {
    while (w.top + w.height < screenHeight) {
      if (!s.step(0, step)) return;
    }
    s.setTop(screenHeight - w.height);
  }
}

}  // namespace spindeck
