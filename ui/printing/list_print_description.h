#pragma once
// What a list printer needs to know about a list, taken as the list shows it:
// the columns in display order with their titles and screen widths (0 for a
// hidden column), the rows in display order (after sorting) with their cell
// texts in the same column order, the list's font and its average character
// width on the screen. Any list view can describe itself this way.

#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

class QTreeView;

namespace larkspur::ui {

struct ListPrintColumn {
  QString title;
  int width = 0;  // screen pixels; 0 when the column is hidden
};

struct ListPrintDescription {
  QString title;     // left of the header line: the program's name
  QString subtitle;  // right of the header line: the document's title
  std::vector<ListPrintColumn> columns;  // display order
  std::vector<QStringList> rows;         // display order; cells in column display order
  QFont listFont;                        // the printer's fonts are made from it
  double screenCharWidth = 0.0;          // average character width of listFont on screen
};

// A list view that can be printed ("&Print...", "Print Pre&view").
class ListPrintSource {
 public:
  virtual ~ListPrintSource() = default;
  // The list as it is shown now; title and subtitle are left empty for the
  // caller to fill.
  virtual ListPrintDescription printDescription() const = 0;
};

// Describes a tree or table-like view: the header's visual order, section
// sizes and hidden sections; the top-level rows of the view's model (which
// is the displayed order); the view's font.
ListPrintDescription describeListForPrint(const QTreeView& view);

}  // namespace larkspur::ui
