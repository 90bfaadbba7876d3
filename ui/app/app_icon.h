#pragma once
// The program's icon: a flower spike, drawn at the usual sizes.

#include <QIcon>

namespace larkspur::ui {

QIcon appIcon();

}  // namespace larkspur::ui
