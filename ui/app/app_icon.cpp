#include "ui/app/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace larkspur::ui {

namespace {

QPixmap drawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(QPen(QColor(46, 125, 50), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(32, 60), QPointF(32, 8));
  p.setPen(Qt::NoPen);
  // Blossoms, largest at the bottom.
  const struct {
    double x, y, r;
  } kBlossoms[] = {{32, 48, 11}, {21, 36, 8.5}, {43, 30, 8.5}, {26, 20, 6.5}, {37, 11, 5}};
  for (const auto& b : kBlossoms) {
    p.setBrush(QColor(92, 75, 190));
    p.drawEllipse(QPointF(b.x, b.y), b.r, b.r);
    p.setBrush(QColor(240, 240, 255));
    p.drawEllipse(QPointF(b.x, b.y), b.r * 0.3, b.r * 0.3);
  }
  return pixmap;
}

}  // namespace

QIcon appIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(drawIcon(size));
  return icon;
}

}  // namespace larkspur::ui
