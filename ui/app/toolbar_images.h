#pragma once
// The fifteen 16x16 toolbar images, by index: new, open, save, report,
// submit, print, about, up, down, back, forward, stop, refresh, close,
// announce. Each comes from the desktop's icon theme under its freedesktop
// name; where the theme has none, the style's standard image (or one drawn
// here) stands in.

#include <QIcon>

class QStyle;

namespace larkspur::ui {

inline constexpr int kToolbarImageCount = 15;

// The icon theme name of image `index`; empty for an index out of range.
QString toolbarImageThemeName(int index);

QIcon toolbarImage(int index, const QStyle* style);

}  // namespace larkspur::ui
