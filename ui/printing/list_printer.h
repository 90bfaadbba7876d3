#pragma once
// Prints a list (engine list, link list) page by page: header with the title
// and subtitle over a black rule, the column titles, as many rows as fit, and
// a footer with a black rule and "Page %d of %d". The fonts are the list's
// own, made for the printer at the start of each job; the geometry comes from
// layoutListPages, and a text longer than its column is shortened with an
// ellipsis.

#include <QFont>
#include <QString>

#include "ui/printing/list_print_description.h"
#include "ui/printing/list_print_layout.h"

class QPaintDevice;
class QPainter;
class QPrinter;

namespace larkspur::ui {

// "Page %d of %d"
QString pageFooterText(int page, int pageCount);

class ListPrinter {
 public:
  // The fonts made for one device and the page layout they give.
  struct Job {
    QFont titleFont;        // header line
    QFont footerFont;       // "Page %d of %d"
    QFont columnTitleFont;  // column-title row
    QFont rowFont;          // list rows
    ListPrintLayout layout;
  };

  explicit ListPrinter(ListPrintDescription description);

  // Fonts and layout for a device whose paintable area is the printable
  // area (a printer, or any paint device in tests).
  Job prepare(QPaintDevice& device) const;
  // Paints page `page` (1-based) of a prepared job.
  void paintPage(QPainter& painter, const Job& job, int page) const;

  // Prints the pages of the printer's page range (every page when it has
  // none) and returns how many were printed. A list without rows has no
  // pages: no job is started and nothing is printed.
  int print(QPrinter& printer) const;

  const ListPrintDescription& description() const { return description_; }

 private:
  ListPrintDescription description_;
};

}  // namespace larkspur::ui
