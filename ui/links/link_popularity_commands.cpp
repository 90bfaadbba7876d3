#include "ui/links/link_popularity_commands.h"

#include <QDesktopServices>
#include <QStatusBar>
#include <QUrl>
#include <ctime>
#include <string>
#include <utility>

#include "core/fixed_text.h"
#include "reports/report_time.h"
#include "ui/app/command_ids.h"
#include "ui/app/main_window.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/dialogs/stop_and_wait.h"
#include "ui/links/progress_animation.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/file_dialogs.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

LinkPopularityCommands::LinkPopularityCommands(MainWindow& frame, ProjectDocument& doc,
                                               core::Coordination& coordination, QObject* parent)
    : QObject(parent), frame_(frame), doc_(doc), coordination_(coordination) {}

LinkPopularityCommands::~LinkPopularityCommands() {
  if (anyRunning()) coordination_.stop.set();
  // The workers post to this object until they have ended.
  search_.reset();
  report_.reset();
  update_.reset();
}

void LinkPopularityCommands::install() {
  frame_.installCommand(kIdSearchLinks, [this] { searchLinks(); }, [this] { return !searchRunning(); });
  frame_.installCommand(kIdCreateLinksReport, [this] { createLinksReport(); }, [this] { return !reportRunning(); });
  const auto updateIdle = [this] { return !updateRunning(); };
  frame_.installCommand(kIdGetAll, [this] { updateLinkInfo(links::kGetAll); }, updateIdle);
  frame_.installCommand(kIdGetPageRank, [this] { updateLinkInfo(links::kGetPageRank); }, updateIdle);
  frame_.installCommand(kIdGetIpAddress, [this] { updateLinkInfo(links::kGetIpAddress); }, updateIdle);
  frame_.installCommand(kIdGetEmailAddress, [this] { updateLinkInfo(links::kGetEmailAddress); }, updateIdle);
}

bool LinkPopularityCommands::searchRunning() const { return search_ && !search_->finished(); }
bool LinkPopularityCommands::reportRunning() const { return !reportDone_.load(); }
bool LinkPopularityCommands::updateRunning() const { return !updateDone_.load(); }

core::Post LinkPopularityCommands::poster() {
  const uint64_t generation = generation_.load();
  return [this, generation](core::Message message) {
    QMetaObject::invokeMethod(
        this, [this, generation, message = std::move(message)] { deliver(generation, message); },
        Qt::QueuedConnection);
  };
}

void LinkPopularityCommands::deliver(uint64_t generation, const core::Message& message) {
  // A job's notice ("The rank service does not answer: ...") shows at once
  // and again in the job's end message.
  if (message.id == core::MessageId::kJobNotice) {
    notices_.append(QString::fromStdString(message.text));
    frame_.statusBar()->showMessage(notices_.back());
  }
  // A message from before the last rebuild names a record of a list that is
  // gone; its address may belong to another record by now.
  if (generation == generation_.load()) {
    if (LinkListView* view = frame_.itemView()->linkView()) view->handleMessage(message);
  }
  emit messageDelivered(message.id);
}

QStringList LinkPopularityCommands::takeNotices() { return std::exchange(notices_, {}); }

void LinkPopularityCommands::joinFinished() {
  if (search_ && search_->finished()) search_.reset();
  if (report_ && reportDone_) report_.reset();
  if (update_ && updateDone_) update_.reset();
}

void LinkPopularityCommands::searchLinks() {
  if (searchRunning() || !doc_.requireWebsite()) return;
  joinFinished();
  doc_.setModified(true);
  coordination_.stop.reset();
  const std::string url(core::fieldView(doc_.project().profile.url));
  search_ = std::make_unique<links::LinkSearch>(doc_.project().links, coordination_, poster(), options_.search);
  search_->start(url);
  frame_.startJobTimer(kSearchTimer, options_.searchTimerMs);
  frame_.updateCommandUi();
}

void LinkPopularityCommands::createLinksReport() {
  if (reportRunning() || !doc_.requireWebsite()) return;
  joinFinished();
  const std::string url(core::fieldView(doc_.project().profile.url));
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Save;
  request.caption = QStringLiteral("Save As");
  request.filter = QStringLiteral("HTML (*.html)");
  request.defaultSuffix = QStringLiteral("html");
  request.proposedPath =
      QString::fromStdString(reports::proposedLinksReportName(url, reports::localTime(std::time(nullptr))));
  const QString path = FileDialogs::run(&frame_, request);
  if (path.isEmpty()) return;

  coordination_.stop.reset();
  reportDone_ = false;
  report_ = std::make_unique<core::CountedThread>(coordination_.workers, [this, url, path,
                                                                           options = options_.report] {
    const reports::LinksReportResult result =
        reports::runLinksReport(doc_.project().links, url, path.toStdString(), coordination_, options);
    const QString error = QString::fromStdString(result.error);
    QMetaObject::invokeMethod(
        this, [this, path, error] { onReportFinished(path, error); }, Qt::QueuedConnection);
    reportDone_ = true;
  });
  if (!report_->started()) reportDone_ = true;
  frame_.startJobTimer(kCheckTimer, options_.checkTimerMs);
  frame_.updateCommandUi();
}

void LinkPopularityCommands::onReportFinished(const QString& path, const QString& error) {
  const bool written = error.isEmpty();
  if (written) {
    // A file the desktop cannot open fails silently.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  } else {
    // "Create file error!" and why.
    MessageBoxes::warn(&frame_, error);
  }
  frame_.updateCommandUi();
  emit reportFinished(path, written);
}

void LinkPopularityCommands::updateLinkInfo(links::LinkInfoFlags flags) {
  if (updateRunning()) return;
  joinFinished();
  coordination_.stop.reset();
  updateDone_ = false;
  update_ = std::make_unique<core::CountedThread>(coordination_.workers, [this, flags, post = poster(),
                                                                           options = options_.info] {
    links::runLinkInfoUpdate(doc_.project().links, flags, coordination_, post, options);
    updateDone_ = true;
    QMetaObject::invokeMethod(this, [this] { frame_.updateCommandUi(); }, Qt::QueuedConnection);
  });
  if (!update_->started()) updateDone_ = true;
  frame_.startJobTimer(kUpdateTimer, options_.updateTimerMs);
  frame_.updateCommandUi();
}

void LinkPopularityCommands::stopAndWait() {
  if (anyRunning()) {
    // A fetch in hand may take a moment.
    ui::stopAndWait(&frame_, QStringLiteral("Stopping the link jobs..."), [this] { coordination_.stop.set(); },
                    [this] { return !anyRunning(); });
  }
  search_.reset();
  report_.reset();
  update_.reset();
  ++generation_;
}

}  // namespace larkspur::ui
