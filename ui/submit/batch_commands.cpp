#include "ui/submit/batch_commands.h"

#include <QWidget>

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
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
  host_.installCommand(kIdAutoSubmitAll, [this] { runBatch(autoSubmitTargets(submit::BatchScope::kAll)); });
  host_.installCommand(kIdAutoSubmitReset,
                       [this] { runBatch(autoSubmitTargets(submit::BatchScope::kNotYetSucceeded)); });
}

std::vector<core::EngineRecord*> BatchCommands::autoSubmitTargets(submit::BatchScope scope) const {
  return submit::batchTargets(doc_.project().engines, scope);
}

void BatchCommands::runBatch(const std::vector<core::EngineRecord*>& targets) {
  if (!doc_.requireWebsite()) return;
  doc_.setModified(true);
  runner_(targets);  // an empty list is run as well
  showStates();
}

void BatchCommands::runSelected(const std::vector<core::EngineRecord*>& records) {
  if (!runner_ || !doc_.requireWebsite()) return;
  runner_(records);
  doc_.setModified(true);
  showStates();
}

void BatchCommands::showStates() {
  if (EngineListView* view = host_.itemView()->engineView()) view->refreshStates();
}

}  // namespace larkspur::ui
