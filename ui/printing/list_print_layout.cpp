#include "ui/printing/list_print_layout.h"

#include <algorithm>

namespace larkspur::ui {

int ListPrintLayout::firstRow(int page) const { return (page - 1) * rowsPerPage; }

int ListPrintLayout::endRow(int page) const { return std::min(rowCount, page * rowsPerPage); }

int ListPrintLayout::rowTop(int row) const {
  return bodyTop + rowLineHeight + (row % rowsPerPage) * rowLineHeight;
}

ListPrintLayout layoutListPages(const ListPrintMetrics& metrics, std::span<const int> columnWidths, int rowCount) {
  ListPrintLayout layout;
  layout.left = kPrintMarginLeft;
  layout.top = kPrintMarginTop;
  layout.right = metrics.printableWidth - kPrintMarginRight;
  layout.bottom = metrics.printableHeight - kPrintMarginBottom;
  layout.titleLineHeight = metrics.titleLineHeight;
  layout.footerLineHeight = metrics.footerLineHeight;
  layout.rowLineHeight = std::max(1, metrics.rowLineHeight);
  layout.bodyTop = layout.top + 2 * metrics.titleLineHeight;
  layout.bodyBottom = layout.bottom - 2 * metrics.footerLineHeight;
  layout.rowCount = std::max(0, rowCount);

  const int bodyHeight = layout.bodyBottom - layout.bodyTop;
  layout.rowsPerPage = std::max(1, (bodyHeight - layout.rowLineHeight) / layout.rowLineHeight);
  layout.pageCount = (layout.rowCount + layout.rowsPerPage - 1) / layout.rowsPerPage;

  const int indent = static_cast<int>(kPrintCellIndent * metrics.scale);
  int x0 = layout.left;
  layout.columns.reserve(columnWidths.size());
  for (const int width : columnWidths) {
    const int extent = width > 0 ? static_cast<int>(width * metrics.scale) : 0;
    ListPrintColumnGeometry column;
    column.x0 = x0;
    column.left = x0 + indent;
    column.right = std::min(x0 + extent, layout.right);
    column.visible = width > 0 && column.left < layout.right;
    layout.columns.push_back(column);
    x0 += extent;
  }
  return layout;
}

}  // namespace larkspur::ui
