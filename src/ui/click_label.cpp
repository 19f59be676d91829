#include "src/ui/click_label.h"

#include <QMouseEvent>

namespace spindeck {

ClickLabel::ClickLabel(const QString& text, std::function<void()> clicked)
    : QLabel(text), clicked_(std::move(clicked)) {
  setCursor(Qt::PointingHandCursor);
}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click && clicked_) clicked_();
}

}  // namespace spindeck
