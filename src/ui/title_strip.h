#pragma once
// The title strip: a picture box holding a horizontal gradient from dark to light blue. The
// gradient is painted once into a pixmap that every repaint shows again.
#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <vector>

namespace spindeck {

// The colours of the gradient's pixel columns for a strip `width` pixels wide; empty when
// the width is less than one. Each column first adds one step, (right - left) / width, to the
// colour, so column 0 is already one step from the left colour. Fractional components are
// truncated (and held within 0..255) when they become a colour.
std::vector<QColor> TitleGradientColumns(int width);

class TitleStrip : public QWidget {
 public:
  explicit TitleStrip(QWidget* parent);

  // Paints the gradient into the strip's pixmap at the strip's present size.
  void paintGradient();
  const QPixmap& picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
};

}  // namespace spindeck
