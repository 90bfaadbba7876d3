#include "ui/links/page_rank_update_commands.h"

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
  core::Post post = [this, view](core::Message message) {
    if (message.id == core::MessageId::kJobNotice) {
      const QString text = QString::fromStdString(message.text);
      QMetaObject::invokeMethod(this, [this, text] { MessageBoxes::warn(host_.widget(), text); }, Qt::QueuedConnection);
      return;
    }
    if (view) QMetaObject::invokeMethod(view, [view, message] { view->handleMessage(message); }, Qt::QueuedConnection);
    if (message.id == core::MessageId::kPageRankFinished) {
      QMetaObject::invokeMethod(this, [this] { host_.updateCommandUi(); }, Qt::QueuedConnection);
    }
  };
  // With an Open PageRank key every target's rank comes from one run of
  // requests, a hundred domains each.
  std::vector<std::string> notes;
  const core::ServiceKey key = core::ServiceKeyStore::standard().key(core::KeyedService::kOpenPageRank, &notes);
  for (const std::string& note : notes) host_.showStatusMessage(QString::fromStdString(note));
  if (key.set() && !rankQueryChosen_) {
    links::OpenPageRankOptions options;
    options.key = key.key;
    update_.start(doc_.project().engines, std::move(post), links::openPageRankQuery(std::move(options)));
  } else {
    update_.start(doc_.project().engines, std::move(post), rankQuery_);
  }
  host_.updateCommandUi();
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
  host_.updateCommandUi();
}

}  // namespace larkspur::ui
