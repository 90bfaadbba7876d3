#include "ui/app/tool_commands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "ui/announce/announce_window.h"
#include "ui/app/about_dialog.h"
#include "ui/app/command_ids.h"
#include "ui/app/command_line.h"
#include "ui/app/help_page.h"
#include "ui/app/main_window.h"
#include "ui/app/program_restart.h"
#include "ui/calculators/advertise_calculator_dialog.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/printing/print_commands.h"
#include "ui/project/project_document.h"
#include "ui/update/update_dialog.h"

namespace larkspur::ui {

ToolCommands::ToolCommands(MainWindow& frame, ProjectDocument& doc)
    : QObject(&frame),
      frame_(frame),
      doc_(doc),
      print_(new PrintCommands(&frame)),
      updateSetup_(update::defaultUpdateSetup),
      programFolder_(QCoreApplication::applicationDirPath()) {
  install();
}

ToolCommands::~ToolCommands() { shutDown(); }

void ToolCommands::install() {
  auto hasList = [this] { return activeSource() != nullptr; };
  frame_.installCommand(kIdFilePrint, [this] {
    if (auto list = activeList()) print_->print(*list);
  }, hasList);
  frame_.installCommand(kIdFilePrintDirect, [this] {
    if (auto list = activeList()) print_->printDirect(*list);
  }, hasList);
  frame_.installCommand(kIdFilePrintPreview, [this] {
    if (auto list = activeList()) print_->preview(*list);
  }, hasList);
  frame_.installCommand(kIdFilePrintSetup, [this] { print_->setup(); });

  frame_.installCommand(kIdRoiCalculator, [this] { openCalculator(); });
  frame_.installCommand(kIdAnnounceIndexNow, [this] { openAnnounceWindow(); });
  frame_.installCommand(kIdOnlineUpdate, [this] { runOnlineUpdate(); }, [this] { return !update_.running(); });
  frame_.installCommand(kIdHelpTopic, [this] { openHelpTopic(); });
  frame_.installCommand(kIdSubmitServices, [this] { openServicesPage(); });
  frame_.installCommand(kIdAppAbout, [this] { showAbout(); });
}

void ToolCommands::shutDown() {
  if (calculator_) delete calculator_.data();
  update_.finish();
}

// ---------------------------------------------------------------- calculator

AdvertiseCalculatorDialog* ToolCommands::calculator() const { return calculator_.data(); }

void ToolCommands::openCalculator() {
  if (calculator_) {
    calculator_->showNormal();
    calculator_->raise();
    calculator_->activateWindow();
    return;
  }
  // A window of its own, opened centred on the main window; closing it
  // destroys it, so the next one starts with empty fields.
  calculator_ = new AdvertiseCalculatorDialog(&frame_);
  calculator_->show();
}

// ---------------------------------------------------------------- announcing

AnnounceWindow* ToolCommands::announceWindow() const { return announce_.data(); }

void ToolCommands::openAnnounceWindow() {
  if (const QString problem = AnnounceWindow::websiteProblem(doc_); !problem.isEmpty()) {
    MessageBoxes::warn(&frame_, problem);
    return;
  }
  // Kept when closed, so a run that was stopped by closing still records its
  // end; the main window deletes it with itself.
  if (!announce_) announce_ = new AnnounceWindow(doc_, &frame_);
  announce_->refresh();
  announce_->show();
  announce_->raise();
  announce_->activateWindow();
}

void ToolCommands::endAnnouncement() {
  if (announce_) announce_->stopAndWait(true);
}

// ---------------------------------------------------------------- printing

const ListPrintSource* ToolCommands::activeSource() const {
  return dynamic_cast<const ListPrintSource*>(frame_.itemView()->activeView());
}

std::optional<ListPrintDescription> ToolCommands::activeList() const {
  const ListPrintSource* source = activeSource();
  if (!source) return std::nullopt;
  ListPrintDescription list = source->printDescription();
  list.title = QStringLiteral("Larkspur");
  list.subtitle = doc_.title();
  return list;
}

// ---------------------------------------------------------------- update

void ToolCommands::runOnlineUpdate() {
  UpdateDialog dialog(update_, updateSetup_(), [this](const QString& program) {
    // As after Exit, once the current event is done. The window may stay
    // open (the user cancels "Save changes"): then nothing restarts. The
    // arguments name the project as it is once the window has closed.
    QMetaObject::invokeMethod(&frame_, [this, program] {
      if (!frame_.close() || !restart_) return;
      restart_->request(program, restartArguments(QCoreApplication::arguments().mid(1), doc_.pathName()));
    }, Qt::QueuedConnection);
  }, &frame_);
  dialog.exec();
}

// ---------------------------------------------------------------- help

void ToolCommands::openHelpTopic() {
  // A missing page, or one nothing can show, fails silently.
  const QString page = findHelpPage(programFolder_);
  if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void ToolCommands::openServicesPage() { QDesktopServices::openUrl(servicesPageUrl()); }

void ToolCommands::showAbout() {
  AboutDialog dialog(&frame_);
  dialog.exec();
}

}  // namespace larkspur::ui
