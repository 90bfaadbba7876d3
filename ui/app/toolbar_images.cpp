#include "ui/app/toolbar_images.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace larkspur::ui {

namespace {

// A 16 by 16 image that `draw` paints, antialiased, on a transparent ground.
template <typename Draw>
QIcon drawnImage(Draw draw) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
  }
  return QIcon(pixmap);
}

// The style has no printer among its standard images.
QIcon printerImage() {
  return drawnImage([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));  // paper in
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);  // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));  // paper out
    p.setPen(QColor(60, 160, 60));
    p.drawPoint(QPointF(12.5, 8.5));
  });
}

// Nor anything that says "tell the world": a mast sending waves both ways.
QIcon announceImage() {
  return drawnImage([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(8, 7), QPointF(8, 15));  // mast
    p.setBrush(QColor(200, 60, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8, 6), 1.8, 1.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 110, 190), 1.3));
    for (qreal r : {4.0, 6.5}) {
      const QRectF box(8 - r, 6 - r, 2 * r, 2 * r);
      p.drawArc(box, -45 * 16, 90 * 16);  // right
      p.drawArc(box, 135 * 16, 90 * 16);  // left
    }
  });
}

struct ToolbarImage {
  const char* themeName;
  QStyle::StandardPixmap fallback;
};

constexpr ToolbarImage kImages[kToolbarImageCount] = {
    {"document-new", QStyle::SP_FileIcon},                     // 0 new
    {"document-open", QStyle::SP_DirOpenIcon},                 // 1 open
    {"document-save", QStyle::SP_DialogSaveButton},            // 2 save
    {"x-office-document", QStyle::SP_FileDialogContentsView},  // 3 report
    {"document-send", QStyle::SP_MediaPlay},                   // 4 submit
    {"document-print", QStyle::SP_CustomBase},                 // 5 print (drawn)
    {"help-about", QStyle::SP_MessageBoxInformation},          // 6 about
    {"go-up", QStyle::SP_ArrowUp},                             // 7 up
    {"go-down", QStyle::SP_ArrowDown},                         // 8 down
    {"go-previous", QStyle::SP_ArrowBack},                     // 9 back
    {"go-next", QStyle::SP_ArrowForward},                      // 10 forward
    {"process-stop", QStyle::SP_BrowserStop},                  // 11 stop
    {"view-refresh", QStyle::SP_BrowserReload},                // 12 refresh
    {"window-close", QStyle::SP_DialogCloseButton},            // 13 close
    {"network-transmit", QStyle::SP_CustomBase},               // 14 announce (drawn)
};

}  // namespace

QString toolbarImageThemeName(int index) {
  if (index < 0 || index >= kToolbarImageCount) return {};
  return QString::fromLatin1(kImages[index].themeName);
}

QIcon toolbarImage(int index, const QStyle* style) {
  if (index < 0 || index >= kToolbarImageCount) return {};
  const QString name = toolbarImageThemeName(index);
  if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  if (index == 5) return printerImage();
  if (index == 14) return announceImage();
  return style ? style->standardIcon(kImages[index].fallback) : QIcon();
}

}  // namespace larkspur::ui
