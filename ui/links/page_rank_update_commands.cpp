#include "ui/links/page_rank_update_commands.h"

#include <QCoreApplication>
#include <QWidget>
#include <string>
#include <vector>

#include "core/service_keys.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/dialogs/stop_and_wait.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

namespace {

// The update's name for the status bar's progress pane.
const QString kJobName = QStringLiteral("page rank update");

}  // namespace

PageRankUpdateCommands::PageRankUpdateCommands(CommandHost& host, ProjectDocument& doc,
                                               core::Coordination& coordination)
    : QObject(host.widget()), host_(host), doc_(doc), coordination_(coordination), update_(coordination.stop) {}

PageRankUpdateCommands::~PageRankUpdateCommands() {
  if (update_.running()) coordination_.stop.set();
  update_.join();
}

void PageRankUpdateCommands::install() {
  host_.installCommand(kIdStartUpdate, [this] { start(); }, [this] { return !running(); });
  host_.installCommand(kIdStopUpdate, [this] { coordination_.stop.set(); }, [this] { return running(); });
}

void PageRankUpdateCommands::start() {
  EngineListView* view = host_.itemView()->engineView();
  // The worker posts to the view; the view is destroyed only after the
  // worker has been stopped and joined (the work areas are released after
  // stopAndWait, the window's views after this object).
  const uint64_t run = ++run_;
  core::Post post = [this, view, run](core::Message message) {
    // A problem of the service (a refused key) is said at once.
    if (message.id == core::MessageId::kJobNotice) {
      const QString text = QString::fromStdString(message.text);
      QMetaObject::invokeMethod(this, [this, text] { MessageBoxes::warn(host_.widget(), text); }, Qt::QueuedConnection);
      return;
    }
    if (view) QMetaObject::invokeMethod(view, [view, message] { view->handleMessage(message); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, [this, run, message] { onMessage(run, message); }, Qt::QueuedConnection);
  };
  asked_ = 0;
  total_ = doc_.project().engines.size();
  // With an Open PageRank key every target's rank comes from one run of
  // requests, a hundred domains each.
  std::vector<std::string> notes;
  const core::ServiceKey key = core::ServiceKeyStore::standard().key(core::KeyedService::kOpenPageRank, &notes);
  for (const std::string& note : notes) host_.showStatusMessage(QString::fromStdString(note));
  bool started = false;
  if (key.set() && !rankQueryChosen_) {
    links::OpenPageRankOptions options;
    options.key = key.key;
    started = update_.start(doc_.project().engines, std::move(post), links::openPageRankQuery(std::move(options)));
  } else {
    started = update_.start(doc_.project().engines, std::move(post), rankQuery_);
  }
  if (!started) return;
  host_.showJobProgress(kJobName, 0, static_cast<qint64>(total_));
  host_.showStatusMessage(QStringLiteral("Updating page ranks: 0 of %1").arg(total_));
  host_.updateCommandUi();
}

void PageRankUpdateCommands::onMessage(uint64_t run, const core::Message& message) {
  if (run != run_) return;
  if (message.id == core::MessageId::kRecordChanged) {
    ++asked_;
    host_.showJobProgress(kJobName, static_cast<qint64>(asked_), static_cast<qint64>(total_));
    host_.showStatusMessage(QStringLiteral("Updating page ranks: %1 of %2").arg(asked_).arg(total_));
  } else if (message.id == core::MessageId::kPageRankFinished) {
    ++run_;  // ended: nothing more of it counts
    host_.endJobProgress(kJobName);
    host_.showJobEnd(QStringLiteral("Page Rank update finished! ") +
                     (asked_ < total_ ? QStringLiteral("Stopped after %1 of %2 targets").arg(asked_).arg(total_)
                                      : QStringLiteral("%1 targets").arg(total_)));
    host_.updateCommandUi();
  }
}

void PageRankUpdateCommands::stopAndWait() {
  if (!update_.running()) {
    update_.join();
    return;
  }
  // The query in hand may take a while.
  ui::stopAndWait(host_.widget(), QStringLiteral("Stopping the page rank update..."),
                  [this] { coordination_.stop.set(); }, [this] { return !update_.running(); });
  update_.join();
  // Its end is on its way: shown now, before the records go.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  host_.updateCommandUi();
}

}  // namespace larkspur::ui
