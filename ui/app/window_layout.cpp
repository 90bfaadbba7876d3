#include "ui/app/window_layout.h"

#include <QSettings>
#include <QStringList>

namespace larkspur::ui {

namespace {

const char kGeometry[] = "MainWindow/Geometry";
const char kListPaneWidth[] = "MainWindow/ListPaneWidth";
const char kLinkColumns[] = "LinkList/ShownColumns";
const char kHealthColumnWidth[] = "EngineList/HealthColumnWidth";
const char kColumnWidths[] = "/ColumnWidths";
const char* const kLists[] = {"EngineList", "LinkList", "PpcList"};

}  // namespace

WindowLayout readWindowLayout(const QString& file) {
  WindowLayout layout;
  QSettings settings(file, QSettings::IniFormat);
  layout.geometry = settings.value(QLatin1String(kGeometry)).toByteArray();
  bool ok = false;
  const int width = settings.value(QLatin1String(kListPaneWidth)).toInt(&ok);
  if (ok && width >= 0) layout.listPaneWidth = width;
  const int healthWidth = settings.value(QLatin1String(kHealthColumnWidth)).toInt(&ok);
  if (ok && healthWidth > 0) layout.healthColumnWidth = healthWidth;
  if (settings.contains(QLatin1String(kLinkColumns))) {
    QList<int> columns;
    // An ini list of one entry reads back as a plain text; none as an empty one.
    const QStringList entries = settings.value(QLatin1String(kLinkColumns)).toStringList();
    for (const QString& entry : entries) {
      const int column = entry.trimmed().toInt(&ok);
      if (ok && column >= 0 && !columns.contains(column)) columns << column;
    }
    layout.linkColumns = columns;
  }
  for (const char* list : kLists) {
    const QString key = QLatin1String(list) + QLatin1String(kColumnWidths);
    if (!settings.contains(key)) continue;
    QList<int> widths;
    for (const QString& entry : settings.value(key).toStringList()) {
      const int width = entry.trimmed().toInt(&ok);
      widths << (ok && width > 0 && width < 10000 ? width : 0);
    }
    layout.columnWidths[QLatin1String(list)] = widths;
  }
  return layout;
}

bool writeWindowLayout(const QString& file, const WindowLayout& layout) {
  QSettings settings(file, QSettings::IniFormat);
  if (!layout.geometry.isEmpty()) settings.setValue(QLatin1String(kGeometry), layout.geometry);
  if (layout.listPaneWidth) settings.setValue(QLatin1String(kListPaneWidth), *layout.listPaneWidth);
  if (layout.healthColumnWidth) settings.setValue(QLatin1String(kHealthColumnWidth), *layout.healthColumnWidth);
  if (layout.linkColumns) {
    QStringList entries;
    for (int column : *layout.linkColumns) entries << QString::number(column);
    settings.setValue(QLatin1String(kLinkColumns), entries);
  }
  for (const auto& [list, widths] : layout.columnWidths) {
    QStringList entries;
    for (int width : widths) entries << QString::number(width);
    settings.setValue(list + QLatin1String(kColumnWidths), entries);
  }
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace larkspur::ui
