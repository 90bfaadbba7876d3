#include "ui/printing/list_print_description.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeView>

namespace larkspur::ui {

ListPrintDescription describeListForPrint(const QTreeView& view) {
  ListPrintDescription description;
  description.listFont = view.font();
  description.screenCharWidth = QFontMetrics(view.font()).averageCharWidth();

  const QHeaderView* header = view.header();
  const QAbstractItemModel* model = view.model();
  if (!header || !model) return description;

  std::vector<int> logical;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int column = header->logicalIndex(visual);
    if (column < 0) continue;
    logical.push_back(column);
    ListPrintColumn printed;
    printed.title = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    printed.width = header->isSectionHidden(column) ? 0 : header->sectionSize(column);
    description.columns.push_back(printed);
  }

  const QModelIndex root = view.rootIndex();
  const int rows = model->rowCount(root);
  description.rows.reserve(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    if (view.isRowHidden(row, root)) continue;
    QStringList cells;
    cells.reserve(static_cast<qsizetype>(logical.size()));
    for (const int column : logical) cells << model->index(row, column, root).data(Qt::DisplayRole).toString();
    description.rows.push_back(std::move(cells));
  }
  return description;
}

}  // namespace larkspur::ui
