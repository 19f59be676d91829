#include "src/ui/title_strip.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace spindeck {
namespace {

struct Rgb {
  double r, g, b;
};
constexpr Rgb kLeft{0, 64, 128};
constexpr Rgb kRight{168, 211, 255};

// As a colour function taking integers would receive it: rounded to the nearest whole value,
// so that the steps added up reach the right edge's colour exactly.
int ColourByte(double component) {
  return std::clamp(static_cast<int>(std::nearbyint(component)), 0, 255);
}

}  // namespace

std::vector<QColor> TitleGradientColumns(int width) {
  std::vector<QColor> columns;
  if (width < 1) return columns;
  const Rgb step{(kRight.r - kLeft.r) / width, (kRight.g - kLeft.g) / width,
                 (kRight.b - kLeft.b) / width};
  Rgb c = kLeft;
  // Columns 0..width: the last one falls just outside the strip, as it always has.
  for (int x = 0; x <= width; ++x) {
    c.r = std::max(c.r + step.r, 0.0);
    c.g = std::max(c.g + step.g, 0.0);
    c.b = std::max(c.b + step.b, 0.0);
    columns.emplace_back(ColourByte(c.r), ColourByte(c.g), ColourByte(c.b));
  }
  return columns;
}

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent) {}

void TitleStrip::paintGradient() {
  const auto columns = TitleGradientColumns(width());
  if (columns.empty() || height() < 1) return;
  picture_ = QPixmap(size());
  QPainter painter(&picture_);
  for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
    painter.fillRect(x, 0, 1, height(), columns[static_cast<std::size_t>(x)]);
  }
  update();
}

void TitleStrip::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter(this).drawPixmap(0, 0, picture_);
}

}  // namespace spindeck
