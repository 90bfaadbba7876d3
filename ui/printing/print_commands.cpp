#include "ui/printing/print_commands.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/printing/list_printer.h"

namespace larkspur::ui {

PrintCommands::PrintCommands(QWidget* window) : QObject(window), window_(window) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::install(CommandHost& host, std::function<QString()> subtitle) {
  host_ = &host;
  subtitle_ = std::move(subtitle);
  auto hasList = [this] { return activeSource() != nullptr; };
  host.installCommand(kIdFilePrint, [this] {
    if (auto list = activeList()) print(*list);
  }, hasList);
  host.installCommand(kIdFilePrintDirect, [this] {
    if (auto list = activeList()) printDirect(*list);
  }, hasList);
  host.installCommand(kIdFilePrintPreview, [this] {
    if (auto list = activeList()) preview(*list);
  }, hasList);
  host.installCommand(kIdFilePrintSetup, [this] { setup(); });
}

const ListPrintSource* PrintCommands::activeSource() const {
  return host_ ? dynamic_cast<const ListPrintSource*>(host_->activeView()) : nullptr;
}

std::optional<ListPrintDescription> PrintCommands::activeList() const {
  const ListPrintSource* source = activeSource();
  if (!source) return std::nullopt;
  ListPrintDescription list = source->printDescription();
  list.title = QStringLiteral("Larkspur");
  list.subtitle = subtitle_ ? subtitle_() : QString();
  return list;
}

QPrinter& PrintCommands::printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setDocName(QStringLiteral("Larkspur"));
  }
  return *printer_;
}

int PrintCommands::print(const ListPrintDescription& list) {
  const ListPrinter listPrinter(list);
  QPrinter& target = printer();
  // The dialog offers the pages this list has on the current printer.
  const int pages = listPrinter.prepare(target).layout.pageCount;
  QPrintDialog dialog(&target, window_);
  dialog.setObjectName(QStringLiteral("printDialog"));
  dialog.setMinMax(1, std::max(1, pages));
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  const int result = dialog.exec();
  if (result != QDialog::Accepted) return 0;
  return listPrinter.print(target);
}

int PrintCommands::printDirect(const ListPrintDescription& list) {
  QPrinter& target = printer();
  // Every page, whatever range an earlier dialog chose.
  target.setPrintRange(QPrinter::AllPages);
  return ListPrinter(list).print(target);
}

void PrintCommands::preview(const ListPrintDescription& list) {
  const ListPrinter listPrinter(list);
  printer().setPrintRange(QPrinter::AllPages);
  QPrintPreviewDialog dialog(&printer(), window_);
  dialog.setObjectName(QStringLiteral("printPreview"));
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
          [&listPrinter](QPrinter* target) { listPrinter.print(*target); });
  dialog.exec();
}

void PrintCommands::setup() {
  QPageSetupDialog dialog(&printer(), window_);
  dialog.setObjectName(QStringLiteral("printSetup"));
  dialog.exec();
}

}  // namespace larkspur::ui
