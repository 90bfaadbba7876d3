#pragma once
// The print commands of the program: "&Print..." (the print dialog, then the
// pages), print direct (the current printer, no dialog), "Print Pre&view" and
// "P&rint Setup...", on the list of the main window's active work area. One
// printer set-up is kept for the whole program, so a choice made in Print
// Setup or the print dialog holds for the next print.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "ui/printing/list_print_description.h"

class QPrinter;
class QWidget;

namespace larkspur::ui {

class CommandHost;

class PrintCommands : public QObject {
  Q_OBJECT

 public:
  explicit PrintCommands(QWidget* window);
  ~PrintCommands() override;

  // Installs the commands on the host: the first three are enabled while
  // the active list can be printed, which is printed with the program's name
  // as title and `subtitle()` (the project's title) as subtitle.
  void install(CommandHost& host, std::function<QString()> subtitle);
  // The view of the host's active work area when it can be printed, or
  // nullptr.
  const ListPrintSource* activeSource() const;
  // Its list as printed.
  std::optional<ListPrintDescription> activeList() const;

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
  CommandHost* host_ = nullptr;
  std::function<QString()> subtitle_;
};

}  // namespace larkspur::ui
