#pragma once
// A label that acts on a click: a left press and release both on the label.
#include <QLabel>
#include <functional>

namespace spindeck {

class ClickLabel : public QLabel {
 public:
  ClickLabel(const QString& text, std::function<void()> clicked);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> clicked_;
  bool pressed_ = false;
};

}  // namespace spindeck
