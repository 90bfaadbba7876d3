#include "ui/submit/batch_commands.h"

#include <QWidget>

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/unhealthy_targets.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

BatchCommands::BatchCommands(CommandHost& host, ProjectDocument& doc)
    : QObject(host.widget()), host_(host), doc_(doc) {
  connect(host_.itemView(), &NavigationView::autoSubmitRequested, this, &BatchCommands::runSelected);
}

void BatchCommands::setRunner(BatchRunner runner) {
  runner_ = std::move(runner);
  host_.itemView()->setAutoSubmitAvailable(static_cast<bool>(runner_));
  if (!runner_) {
    host_.removeCommand(kIdAutoSubmitAll);
    host_.removeCommand(kIdAutoSubmitReset);
    return;
  }
  host_.installCommand(kIdAutoSubmitAll, [this] { runBatch(submit::BatchScope::kAll); });
  host_.installCommand(kIdAutoSubmitReset, [this] { runBatch(submit::BatchScope::kNotYetSucceeded); });
}

void BatchCommands::runBatch(submit::BatchScope scope) {
  if (!doc_.requireWebsite()) return;
  const core::EngineTable& engines = doc_.project().engines;
  // Every target of the run in table order, and the ones left out of it
  // unless the user puts them back.
  const std::vector<core::EngineRecord*> targets = submit::chooseBatchTargets(engines, scope, true).targets;
  const std::vector<core::EngineRecord*> unhealthy = submit::chooseBatchTargets(engines, scope, false).skipped;
  doc_.setModified(true);
  runner_(targets, unhealthy);  // an empty list is run as well
  showStates();
}

void BatchCommands::runSelected(const std::vector<core::EngineRecord*>& records) {
  if (!runner_ || !doc_.requireWebsite()) return;
  if (!confirmUnhealthyTargets(host_.widget(), records, UnhealthyUse::kSubmit)) return;
  runner_(records, {});
  doc_.setModified(true);
  showStates();
}

void BatchCommands::showStates() {
  if (EngineListView* view = host_.itemView()->engineView()) view->refreshStates();
}

}  // namespace larkspur::ui
