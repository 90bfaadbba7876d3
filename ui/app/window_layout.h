#pragma once
// What the main window remembers of itself from one run to the next: its
// geometry, the width of the list pane, which columns the link list shows and
// the width of the engine list's health column, and every list's column
// widths.
// It is kept in an ini file of its own beside the settings blob, so the
// blob's format stays as it is.

#include <QByteArray>
#include <QList>
#include <QString>
#include <map>
#include <optional>

namespace larkspur::ui {

inline constexpr char kWindowLayoutFileName[] = "layout.ini";

struct WindowLayout {
  // QWidget::saveGeometry's bytes; empty when not remembered.
  QByteArray geometry;
  // The list pane's width in pixels; nothing when not remembered.
  std::optional<int> listPaneWidth;
  // The link list's shown columns, in column order; nothing when not
  // remembered (the settings' widths decide then).
  std::optional<QList<int>> linkColumns;
  // The engine list's health column's width; nothing when not remembered.
  std::optional<int> healthColumnWidth;
  // Each list's column widths (0 for a hidden column) by the list's name
  // ("EngineList", "LinkList", "PpcList"); a list not named is sized to its
  // contents when first shown.
  std::map<QString, QList<int>> columnWidths;
};

// Reads the file; what it lacks (or a missing file) is not remembered.
WindowLayout readWindowLayout(const QString& file);
// Writes what `layout` holds into the file, leaving what it lacks as it was
// there; false when that failed.
bool writeWindowLayout(const QString& file, const WindowLayout& layout);

}  // namespace larkspur::ui
