#include "ui/submit/batch_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace larkspur::ui {

namespace {

QPixmap blank(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon batchRowIcon(submit::RowIcon icon) {
  QPixmap pixmap = blank(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case submit::RowIcon::kRunning: {
      // A blue disc with a white arrow: under way.
      p.setPen(QPen(QColor(30, 80, 160), 1));
      p.setBrush(QColor(70, 130, 220));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      QPainterPath arrow;
      arrow.moveTo(6, 4.5);
      arrow.lineTo(11.5, 8);
      arrow.lineTo(6, 11.5);
      arrow.closeSubpath();
      p.drawPath(arrow);
      break;
    }
    case submit::RowIcon::kSucceeded: {
      p.setPen(QPen(QColor(20, 110, 40), 1));
      p.setBrush(QColor(60, 170, 80));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 10.5), QPointF(11.5, 5.5)}));
      break;
    }
    case submit::RowIcon::kFailed: {
      p.setPen(QPen(QColor(140, 20, 20), 1));
      p.setBrush(QColor(210, 50, 50));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
      p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
      break;
    }
  }
  return QIcon(pixmap);
}

QPixmap batchAnimationFrame(int frame) {
  const int frames = submit::kBatchAnimationFrames;
  frame = ((frame % frames) + frames) % frames;
  QPixmap pixmap = blank(32);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // A globe with a letter circling it, one sixth of a turn per frame.
  p.setPen(QPen(QColor(30, 80, 160), 1.2));
  p.setBrush(QColor(160, 200, 240));
  p.drawEllipse(QRectF(6, 6, 20, 20));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(11, 6, 10, 20));
  p.drawLine(QPointF(6, 16), QPointF(26, 16));
  const qreal angle = qDegreesToRadians(-90.0 + 60.0 * frame);
  const QPointF centre(16 + 12.5 * qCos(angle), 16 + 12.5 * qSin(angle));
  p.setPen(QPen(QColor(120, 80, 20), 1));
  p.setBrush(QColor(250, 220, 120));
  p.drawRect(QRectF(centre.x() - 3.5, centre.y() - 2.5, 7, 5));
  p.drawLine(QPointF(centre.x() - 3.5, centre.y() - 2.5), QPointF(centre.x(), centre.y() + 0.5));
  p.drawLine(QPointF(centre.x() + 3.5, centre.y() - 2.5), QPointF(centre.x(), centre.y() + 0.5));
  return pixmap;
}

}  // namespace larkspur::ui
