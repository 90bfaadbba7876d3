#pragma once
// The print commands of the program: "&Print..." (the print dialog, then the
// pages), print direct (the current printer, no dialog), "Print Pre&view" and
// "P&rint Setup...". One printer set-up is kept for the whole program, so a
// choice made in Print Setup or the print dialog holds for the next print.

#include <QObject>
#include <memory>

#include "ui/printing/list_print_description.h"

class QPrinter;
class QWidget;

namespace larkspur::ui {

class PrintCommands : public QObject {
  Q_OBJECT

 public:
  explicit PrintCommands(QWidget* window);
  ~PrintCommands() override;

  // The program's printer (made on first use).
  QPrinter& printer();

  // Shows the print dialog and prints the list when it is accepted. Returns
  // the number of pages printed.
  int print(const ListPrintDescription& list);
  // Prints the list on the current printer without asking.
  int printDirect(const ListPrintDescription& list);
  // Shows the pages in a print preview window (modal).
  void preview(const ListPrintDescription& list);
  // The page set-up dialog of the program's printer.
  void setup();

 private:
  QWidget* window_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace larkspur::ui
