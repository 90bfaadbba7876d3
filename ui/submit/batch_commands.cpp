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
  const std::size_t count = doc_.targetCount();
  const std::vector<core::EngineRecord*> targets = submit::chooseBatchTargets(engines, scope, true, count).targets;
  const std::vector<core::EngineRecord*> unhealthy =
      submit::chooseBatchTargets(engines, scope, false, count).skipped;
  run(targets, unhealthy);  // an empty list is run as well
}

void BatchCommands::runSelected(const std::vector<core::EngineRecord*>& records) {
  if (!runner_ || !doc_.requireWebsite()) return;
  if (!confirmUnhealthyTargets(host_.widget(), records, UnhealthyUse::kSubmit)) return;
  run(records, {});
}

void BatchCommands::run(const std::vector<core::EngineRecord*>& targets,
                        const std::vector<core::EngineRecord*>& unhealthy) {
  // The project is changed when a target is: a batch closed before START,
  // or one whose targets all stayed as they were, leaves it as it was.
  std::vector<core::EngineRecord> before;
  before.reserve(targets.size());
  for (const core::EngineRecord* record : targets) before.push_back(*record);
  runner_(targets, unhealthy);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    core::EngineRecord was = before[i];
    was.notify_window = targets[i]->notify_window;  // whom it reports to, not saved
    if (!(was == *targets[i])) {
      doc_.setModified(true);
      break;
    }
  }
  showStates();
}

void BatchCommands::showStates() {
  if (EngineListView* view = host_.itemView()->engineView()) view->refreshStates();
}

}  // namespace larkspur::ui
