#pragma once
// Where everything goes on a printed list page, worked out from a few font
// metrics of the printer and the screen widths of the list's columns. Pure
// arithmetic in printer device units, so it can be checked without a printer.
//
// The columns share the frame's whole width in proportion to their widths on
// the screen: a narrow list is spread over the page, a wide one is narrowed
// to fit it, and every shown column is printed.
//
// A page holds, top to bottom: a header band two title lines tall (title
// left, subtitle right, a black rule), the body (one row of column titles,
// then the list rows) and a footer band two footer lines tall (a black rule
// and "Page %d of %d" on its last line). The frame is the printable area less
// fixed margins.

#include <span>
#include <vector>

namespace larkspur::ui {

inline constexpr int kPrintMarginLeft = 200;
inline constexpr int kPrintMarginTop = 150;
inline constexpr int kPrintMarginRight = 200;
inline constexpr int kPrintMarginBottom = 150;
// Height of the black rules under the header and above the footer.
inline constexpr int kPrintRuleHeight = 5;
// Gap between a column's edges and its text, in screen pixels.
inline constexpr int kPrintCellIndent = 5;

struct ListPrintMetrics {
  int printableWidth = 0;   // device units
  int printableHeight = 0;  // device units
  int titleLineHeight = 0;  // H1: header font
  int footerLineHeight = 0; // H2: footer font
  int rowLineHeight = 0;    // H4: row font (column titles and rows)
  // Printer device units per screen pixel: the row font's average character
  // width on the printer over the list font's on screen (for the gap between
  // a column's edges and its texts).
  double scale = 0.0;
};

struct ListPrintColumnGeometry {
  int x0 = 0;         // start of the column's area
  int left = 0;       // where its texts start
  int textRight = 0;  // where its texts must end: a longer text is shortened
  int right = 0;      // end of its area (the next column's start)
  // False for a hidden column (width 0), which takes no room and is not drawn.
  bool visible = false;
};

struct ListPrintLayout {
  // The frame: printable area less the margins.
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int titleLineHeight = 0;
  int footerLineHeight = 0;
  int rowLineHeight = 0;
  int bodyTop = 0;     // the column-title row starts here
  int bodyBottom = 0;  // the footer band starts here
  int rowsPerPage = 0; // R
  int pageCount = 0;   // P; 0 for an empty list
  int rowCount = 0;    // N
  std::vector<ListPrintColumnGeometry> columns;  // in display order

  int headerRuleTop() const { return top + 3 * titleLineHeight / 2; }
  int footerRuleTop() const { return bodyBottom + titleLineHeight / 2; }
  // The line "Page %d of %d" sits on: the footer's last line.
  int pageNumberTop() const { return bottom - footerLineHeight; }
  // Rows [firstRow(p), endRow(p)) go on page p (1-based).
  int firstRow(int page) const;
  int endRow(int page) const;
  // Top of list row `row` on its page.
  int rowTop(int row) const;
};

// `columnWidths`: screen widths of the columns in display order, 0 for a
// hidden column. The shown columns follow each other from the frame's left
// edge to its right edge. A page too small for even one row still gets one
// row per page, so every row is printed somewhere.
ListPrintLayout layoutListPages(const ListPrintMetrics& metrics, std::span<const int> columnWidths, int rowCount);

}  // namespace larkspur::ui
