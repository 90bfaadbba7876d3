#include "ui/printing/list_print_layout.h"

#include <algorithm>
#include <cstdint>

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

  // The shown columns divide the frame's width in proportion to their
  // screen widths; each edge is rounded down on its own, so the last column
  // ends exactly at the frame's right edge.
  int64_t total = 0;
  for (const int width : columnWidths) total += std::max(0, width);
  const int64_t frameWidth = std::max(0, layout.right - layout.left);
  const int indent = static_cast<int>(kPrintCellIndent * metrics.scale);
  int64_t before = 0;
  layout.columns.reserve(columnWidths.size());
  for (const int width : columnWidths) {
    const int64_t shown = std::max(0, width);
    ListPrintColumnGeometry column;
    column.x0 = layout.left + static_cast<int>(total > 0 ? frameWidth * before / total : 0);
    before += shown;
    column.right = layout.left + static_cast<int>(total > 0 ? frameWidth * before / total : 0);
    column.visible = shown > 0;
    // A column narrower than its two gaps keeps at least a point for its text.
    const int gap = std::min(indent, std::max(0, (column.right - column.x0 - 1) / 2));
    column.left = column.x0 + gap;
    column.textRight = column.right - gap;
    layout.columns.push_back(column);
  }
  return layout;
}

}  // namespace larkspur::ui
