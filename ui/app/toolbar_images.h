#pragma once
// The fifteen 16x16 toolbar images, by index: new, open, save, report,
// submit, print, about, up, down, back, forward, stop, refresh, close,
// announce.

#include <QIcon>

class QStyle;

namespace larkspur::ui {

QIcon toolbarImage(int index, const QStyle* style);

}  // namespace larkspur::ui
