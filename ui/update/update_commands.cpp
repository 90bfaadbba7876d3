#include "ui/update/update_commands.h"

#include <QWidget>

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/update/update_dialog.h"

namespace larkspur::ui {

UpdateCommands::UpdateCommands(CommandHost& host)
    : QObject(host.widget()), host_(host), updateSetup_(update::defaultUpdateSetup) {
  update_.setEndNotice([this] { host_.updateCommandUi(); });
}

void UpdateCommands::install() {
  host_.installCommand(kIdOnlineUpdate, [this] { runOnlineUpdate(); }, [this] { return !update_.running(); });
}

void UpdateCommands::runOnlineUpdate() {
  UpdateDialog dialog(update_, updateSetup_(), [this](const QString& program) {
    // As after Exit, once the current event is done. The window may stay
    // open (the user cancels "Save changes"): then nothing restarts.
    QMetaObject::invokeMethod(host_.widget(), [this, program] {
      if (!host_.widget()->close() || !restart_) return;
      restart_(program);
    }, Qt::QueuedConnection);
  }, host_.widget());
  dialog.exec();
}

}  // namespace larkspur::ui
