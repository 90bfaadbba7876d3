#pragma once
// The pictures of the batch dialog: the three row icons (running, succeeded,
// failed) and the six frames of its animation.

#include <QIcon>
#include <QPixmap>

#include "submit/batch.h"

namespace larkspur::ui {

// 16 x 16.
QIcon batchRowIcon(submit::RowIcon icon);
// 32 x 32; `frame` from 0 to 5 (taken modulo 6).
QPixmap batchAnimationFrame(int frame);

}  // namespace larkspur::ui
