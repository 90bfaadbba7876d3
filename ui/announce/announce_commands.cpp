#include "ui/announce/announce_commands.h"

#include "ui/announce/announce_window.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

AnnounceCommands::AnnounceCommands(CommandHost& host, ProjectDocument& doc)
    : QObject(host.widget()), host_(host), doc_(doc) {}

void AnnounceCommands::install() {
  host_.installCommand(kIdAnnounceIndexNow, [this] { openAnnounceWindow(); });
}

AnnounceWindow* AnnounceCommands::announceWindow() const { return announce_.data(); }

void AnnounceCommands::openAnnounceWindow() {
  if (const QString problem = AnnounceWindow::websiteProblem(doc_); !problem.isEmpty()) {
    MessageBoxes::warn(host_.widget(), problem);
    return;
  }
  // Kept when closed, so a run that was stopped by closing still records its
  // end; the main window deletes it with itself.
  if (!announce_) announce_ = new AnnounceWindow(doc_, host_.widget());
  announce_->refresh();
  announce_->show();
  announce_->raise();
  announce_->activateWindow();
}

void AnnounceCommands::endAnnouncement() {
  if (announce_) announce_->stopAndWait(true);
}

}  // namespace larkspur::ui
