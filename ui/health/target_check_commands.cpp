#include "ui/health/target_check_commands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QWidget>
#include <system_error>
#include <utility>

#include "core/target_health.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/stop_and_wait.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

namespace {

// The check's name for the status bar's progress pane.
const QString kJobName = QStringLiteral("target check");

}  // namespace

TargetCheckCommands::TargetCheckCommands(CommandHost& host, ProjectDocument& doc, core::Coordination& coordination)
    : QObject(host.widget()), host_(host), doc_(doc), coordination_(coordination) {
  connect(host_.itemView(), &NavigationView::targetCheckRequested, this, &TargetCheckCommands::check);
}

TargetCheckCommands::~TargetCheckCommands() {
  if (!worker_.joinable()) return;
  // The worker posts to this object until it has ended.
  coordination_.stop.set();
  worker_.join();
}

void TargetCheckCommands::install() {
  host_.installCommand(
      kIdCheckTargets,
      [this] {
        const core::EngineTable& engines = doc_.project().engines;
        std::vector<core::EngineRecord*> targets;
        for (std::size_t i = 0; i < doc_.targetCount(); ++i) targets.push_back(engines.at(i));
        check(std::move(targets));
      },
      [this] { return !running(); });
  host_.installCommand(kIdStopCheck, [this] { coordination_.stop.set(); }, [this] { return running(); });
}

void TargetCheckCommands::check(std::vector<core::EngineRecord*> targets) {
  if (running() || targets.empty()) return;
  if (worker_.joinable()) worker_.join();
  std::vector<core::EngineRecord> copies;
  copies.reserve(targets.size());
  for (const core::EngineRecord* record : targets) copies.push_back(*record);
  targets_ = std::move(targets);
  counts_.clear();
  checked_ = 0;
  const uint64_t run = ++run_;
  coordination_.stop.reset();
  workerDone_ = false;
  try {
    worker_ = std::thread([this, run, copies = std::move(copies), options = options_] {
      health::checkTargets(copies, options, coordination_.stop,
                           [this, run](std::size_t index, const health::Verdict& verdict) {
                             // A check cut short by the stop says nothing of the target.
                             if (verdict.verdict == core::kHealthUnknown && coordination_.stop.isSet()) return;
                             QMetaObject::invokeMethod(
                                 this, [this, run, index, verdict] { onVerdict(run, index, verdict); },
                                 Qt::QueuedConnection);
                           });
      workerDone_ = true;
      QMetaObject::invokeMethod(this, [this, run] { onEnded(run); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    workerDone_ = true;
    targets_.clear();
    host_.showStatusMessage(QStringLiteral("The target check could not start."));
    return;
  }
  setRunning(true);
}

void TargetCheckCommands::setRunning(bool running) {
  running_ = running;
  if (running) showProgress();
  host_.itemView()->setTargetCheckAvailable(!running);
  host_.updateCommandUi();
}

void TargetCheckCommands::showProgress() {
  const std::size_t total = targets_.size();
  host_.showJobProgress(kJobName, static_cast<qint64>(checked_), static_cast<qint64>(total));
  host_.showStatusMessage(QStringLiteral("Checking targets: %1 of %2").arg(checked_).arg(total));
}

void TargetCheckCommands::onVerdict(uint64_t run, std::size_t index, const health::Verdict& verdict) {
  if (run != run_ || index >= targets_.size()) return;
  core::EngineRecord& record = *targets_[index];
  health::applyVerdict(record, verdict);
  ++checked_;
  ++counts_[verdict.verdict];
  if (EngineListView* view = host_.itemView()->engineView()) view->showHealth(record);
  doc_.setModified(true);
  showProgress();
}

QString TargetCheckCommands::endText() const {
  if (checked_ < targets_.size()) return QStringLiteral("Stopped after %1 of %2").arg(checked_).arg(targets_.size());
  QStringList counts;
  for (std::string_view name : core::kHealthVerdicts) {
    const auto it = counts_.find(std::string(name));
    if (it != counts_.end()) counts << QStringLiteral("%1 %2").arg(it->second).arg(QLatin1String(name));
  }
  return QStringLiteral("Check complete: ") + counts.join(QStringLiteral(", "));
}

void TargetCheckCommands::onEnded(uint64_t run) {
  if (run != run_) return;
  if (worker_.joinable()) worker_.join();
  const QString end = endText();
  targets_.clear();
  host_.endJobProgress(kJobName);
  setRunning(false);
  host_.showJobEnd(end);
  emit finished(end);
}

void TargetCheckCommands::stopAndWait() {
  if (!worker_.joinable()) return;
  ui::stopAndWait(host_.widget(), QStringLiteral("Stopping the target check..."),
                  [this] { coordination_.stop.set(); }, [this] { return workerDone_.load(); });
  if (worker_.joinable()) worker_.join();
  // The verdicts still on their way belong to these records, and the end to
  // this check: both are taken in now.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

}  // namespace larkspur::ui
