#include "ui/links/link_popularity_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "core/fixed_text.h"
#include "core/service_keys.h"
#include "links/job_texts.h"
#include "reports/report_time.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/desktop_launcher.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/dialogs/stop_and_wait.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/file_dialogs.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

namespace {

// The jobs' names for the status bar's progress pane.
QString jobName(int timer) {
  switch (timer) {
    case kSearchTimer: return QStringLiteral("link search");
    case kCheckTimer: return QStringLiteral("links report");
    default: return QStringLiteral("link info update");
  }
}

QString linksText(std::size_t count, const char* what) {
  return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(what)).arg(count == 1 ? "" : "s");
}

}  // namespace

LinkPopularityCommands::LinkPopularityCommands(CommandHost& host, ProjectDocument& doc,
                                               core::Coordination& coordination, QObject* parent)
    : QObject(parent), host_(host), doc_(doc), coordination_(coordination) {}

LinkPopularityCommands::~LinkPopularityCommands() {
  if (anyRunning()) coordination_.stop.set();
  // The workers post to this object until they have ended.
  search_.reset();
  report_.reset();
  update_.reset();
}

void LinkPopularityCommands::install() {
  host_.installCommand(kIdSearchLinks, [this] { searchLinks(); }, [this] { return !searchRunning(); });
  host_.installCommand(kIdCreateLinksReport, [this] { createLinksReport(); }, [this] { return !reportRunning(); });
  const auto updateIdle = [this] { return !updateRunning(); };
  host_.installCommand(kIdGetAll, [this] { updateLinkInfo(links::kGetAll); }, updateIdle);
  host_.installCommand(kIdGetPageRank, [this] { updateLinkInfo(links::kGetPageRank); }, updateIdle);
  host_.installCommand(kIdGetIpAddress, [this] { updateLinkInfo(links::kGetIpAddress); }, updateIdle);
  host_.installCommand(kIdGetEmailAddress, [this] { updateLinkInfo(links::kGetEmailAddress); }, updateIdle);
  host_.installCommand(kIdStop, [this] { coordination_.stop.set(); });
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
    host_.showStatusMessage(notices_.back());
  }
  // A message from before the last rebuild names a record of a list that is
  // gone; its address may belong to another record by now.
  if (generation == generation_.load()) {
    if (LinkListView* view = host_.itemView()->linkView()) view->handleMessage(message);
    if (message.id == core::MessageId::kLinkFound || message.id == core::MessageId::kRecordChanged) {
      // A link added or changed is a change of the project.
      doc_.setModified(true);
    }
    if (message.id == core::MessageId::kLinkFound && counts_[kSearchTimer].active) {
      onJobProgress(kSearchTimer, counts_[kSearchTimer].done + 1);
    }
  }
  emit messageDelivered(message.id);
}

QStringList LinkPopularityCommands::takeNotices() { return std::exchange(notices_, {}); }

std::string LinkPopularityCommands::serviceKey(core::KeyedService service) {
  std::vector<std::string> notes;
  core::ServiceKey key = core::ServiceKeyStore::standard().key(service, &notes);
  for (const std::string& note : notes) notices_.append(QString::fromStdString(note));
  return std::move(key.key);
}

void LinkPopularityCommands::joinFinished() {
  if (search_ && search_->finished()) search_.reset();
  if (report_ && reportDone_) report_.reset();
  if (update_ && updateDone_) update_.reset();
}

void LinkPopularityCommands::searchLinks() {
  if (searchRunning() || !doc_.requireWebsite()) return;
  joinFinished();
  coordination_.stop.reset();
  const std::string url(core::fieldView(doc_.project().profile.url));
  links::LinkSearchOptions options = options_.search;
  if (options.bing.key.empty()) options.bing.key = serviceKey(core::KeyedService::kBingWebmaster);
  search_ = std::make_unique<links::LinkSearch>(doc_.project().links, coordination_, poster(), std::move(options));
  // Called after the engines' last link-found message was posted.
  search_->setFinishedHandler(
      [this] { QMetaObject::invokeMethod(this, [this] { onSearchEnded(); }, Qt::QueuedConnection); });
  counts_[kSearchTimer] = {true, 0, 0};
  if (!search_->start(url)) {
    counts_[kSearchTimer].active = false;
    host_.showJobEnd(QStringLiteral("The search cannot start: the website's address has no host name."));
    return;
  }
  startJobTimer(kSearchTimer, options_.searchTimerMs);
  host_.updateCommandUi();
}

void LinkPopularityCommands::onSearchEnded() {
  if (!counts_[kSearchTimer].active) return;
  counts_[kSearchTimer].active = false;
  const std::size_t found = counts_[kSearchTimer].done;
  endJob(kSearchTimer, QString::fromStdString(jobEndText(kSearchTimer, coordination_.stop.isSet())) +
                           QLatin1Char(' ') + linksText(found, "new link"));
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
  const QString path = FileDialogs::run(host_.widget(), request);
  if (path.isEmpty()) return;

  coordination_.stop.reset();
  reportDone_ = false;
  counts_[kCheckTimer] = {true, 0, doc_.project().links.size()};
  reports::LinksReportOptions options = options_.report;
  // Each link's row shows what the check recorded as soon as it is recorded.
  options.onRecorded = [post = poster()](const core::LinkRecord* record) {
    post({core::MessageId::kRecordChanged, const_cast<core::LinkRecord*>(record), 0, {}});
  };
  options.onChecked = [this](std::size_t checked) {
    QMetaObject::invokeMethod(
        this, [this, checked] { onJobProgress(kCheckTimer, checked); }, Qt::QueuedConnection);
  };
  const uint64_t generation = generation_.load();
  report_ = std::make_unique<core::CountedThread>(coordination_.workers, [this, url, path, generation,
                                                                           options = std::move(options)] {
    const reports::LinksReportResult result =
        reports::runLinksReport(doc_.project().links, url, path.toStdString(), coordination_, options);
    QMetaObject::invokeMethod(
        this,
        [this, path, result, generation] {
          // The links' details changed, unless the project has been replaced since.
          if (!result.rows.empty() && generation == generation_.load()) doc_.setModified(true);
          onReportFinished(path, result);
        },
        Qt::QueuedConnection);
    reportDone_ = true;
  });
  if (!report_->started()) {
    reportDone_ = true;
    counts_[kCheckTimer].active = false;
    host_.showJobEnd(QStringLiteral("The links report cannot start: no worker thread could be made."));
    return;
  }
  startJobTimer(kCheckTimer, options_.checkTimerMs);
  host_.updateCommandUi();
}

void LinkPopularityCommands::onReportFinished(const QString& path, const reports::LinksReportResult& result) {
  JobCount& count = counts_[kCheckTimer];
  if (!count.active) return;
  count.active = false;
  const std::size_t checked = result.rows.size();
  const std::size_t total = std::max({count.total, checked, doc_.project().links.size()});
  QString end = QString::fromStdString(jobEndText(kCheckTimer, result.stopped)) + QLatin1Char(' ') +
                (result.stopped ? QStringLiteral("Stopped after %1 of %2.").arg(checked).arg(total)
                                : linksText(checked, "link") + QStringLiteral(" checked."));
  if (!result.written) {
    endJob(kCheckTimer, end + QStringLiteral(" The links report could not be written."));
    // "Create file error!" and why.
    MessageBoxes::warn(host_.widget(), QString::fromStdString(result.error));
    emit reportFinished(path, false);
    return;
  }
  end += QStringLiteral(" The links report is in %1").arg(QDir::toNativeSeparators(path));
  endJob(kCheckTimer, end);
  if (!replacing_) offerReport(end, path);
  emit reportFinished(path, true);
}

void LinkPopularityCommands::offerReport(const QString& end, const QString& path) {
  MessageBoxRequest request;
  request.kind = MessageBoxRequest::Kind::Question;
  request.text = QStringLiteral("%1\n\nOpen the report, or the folder it is in?").arg(end);
  request.buttons = QMessageBox::Open | QMessageBox::Apply | QMessageBox::Close;
  request.defaultButton = QMessageBox::Open;
  request.buttonTexts = {{QMessageBox::Open, QStringLiteral("Open Report")},
                         {QMessageBox::Apply, QStringLiteral("Show Folder")}};
  const QMessageBox::StandardButton answer = MessageBoxes::show(host_.widget(), request);
  // A file or folder the desktop cannot open is named, so that the user can
  // open it by hand.
  if (answer == QMessageBox::Open) {
    openOnDesktop(host_.widget(), QUrl::fromLocalFile(path));
  } else if (answer == QMessageBox::Apply) {
    openOnDesktop(host_.widget(), QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
  }
}

void LinkPopularityCommands::updateLinkInfo(links::LinkInfoFlags flags) {
  if (updateRunning()) return;
  joinFinished();
  links::LinkInfoOptions options = options_.info;
  if (flags.rank && options.openPageRank.key.empty()) {
    options.openPageRank.key = serviceKey(core::KeyedService::kOpenPageRank);
  }
  coordination_.stop.reset();
  updateDone_ = false;
  counts_[kUpdateTimer] = {true, 0, doc_.project().links.size()};
  options.onVisited = [this](std::size_t visited) {
    QMetaObject::invokeMethod(
        this, [this, visited] { onJobProgress(kUpdateTimer, visited); }, Qt::QueuedConnection);
  };
  update_ = std::make_unique<core::CountedThread>(coordination_.workers, [this, flags, post = poster(),
                                                                           options = std::move(options)] {
    const links::LinkInfoResult result = links::runLinkInfoUpdate(doc_.project().links, flags, coordination_, post,
                                                                  options);
    QMetaObject::invokeMethod(this, [this, result] { onUpdateEnded(result); }, Qt::QueuedConnection);
    updateDone_ = true;
  });
  if (!update_->started()) {
    updateDone_ = true;
    counts_[kUpdateTimer].active = false;
    host_.showJobEnd(QStringLiteral("The update cannot start: no worker thread could be made."));
    return;
  }
  startJobTimer(kUpdateTimer, options_.updateTimerMs);
  host_.updateCommandUi();
}

void LinkPopularityCommands::onUpdateEnded(const links::LinkInfoResult& result) {
  JobCount& count = counts_[kUpdateTimer];
  if (!count.active) return;
  count.active = false;
  const std::size_t total = std::max({count.total, result.visited, doc_.project().links.size()});
  const QString done = result.stopped ? QStringLiteral("Stopped after %1 of %2 links, ").arg(result.visited).arg(total)
                                      : linksText(result.visited, "link") + QStringLiteral(" looked up, ");
  endJob(kUpdateTimer, QString::fromStdString(jobEndText(kUpdateTimer, result.stopped)) + QLatin1Char(' ') + done +
                           QStringLiteral("%1 changed.").arg(result.changed));
}

void LinkPopularityCommands::onJobProgress(int timer, std::size_t done) {
  JobCount& count = counts_[timer];
  if (!count.active) return;
  count.done = std::max(count.done, done);
  // The list may grow while the job walks it.
  if (timer != kSearchTimer) count.total = std::max({count.total, count.done, doc_.project().links.size()});
  showRunning(timer);
}

void LinkPopularityCommands::showRunning(int timer) {
  const JobCount& count = counts_[timer];
  QString text = runningTexts_[timer];
  if (text.isEmpty()) text = QString::fromStdString(jobRunningText(timer));
  if (count.active) {
    if (timer == kSearchTimer) {
      host_.showJobProgress(jobName(timer), static_cast<qint64>(count.done), -1);
      text += QLatin1Char(' ') + linksText(count.done, "new link");
    } else {
      host_.showJobProgress(jobName(timer), static_cast<qint64>(count.done), static_cast<qint64>(count.total));
      text += QStringLiteral(" %1 of %2 links").arg(count.done).arg(count.total);
    }
  }
  host_.showStatusMessage(text);
}

void LinkPopularityCommands::startJobTimer(int timer, int intervalMs) {
  QTimer*& t = jobTimers_[timer];
  if (!t) {
    t = new QTimer(this);
    connect(t, &QTimer::timeout, this, [this, timer] { jobTick(timer); });
  }
  t->start(intervalMs);
  runningTexts_[timer].clear();
  host_.showJobProgress(jobName(timer), 0, -1);
  if (counts_[timer].active) showRunning(timer);
}

bool LinkPopularityCommands::jobTimerActive(int timer) const {
  const auto it = jobTimers_.find(timer);
  return it != jobTimers_.end() && it->second->isActive();
}

void LinkPopularityCommands::jobTick(int timer) {
  const AnimationTick tick = animation_.tick(timer, coordination_.workers.value(), coordination_.stop.isSet());
  if (tick.setText) {
    runningTexts_[timer] = QString::fromStdString(tick.text);
    showRunning(timer);
  }
  if (!tick.ended) return;
  if (counts_[timer].active) {
    // The job's workers are over: their last word, which ends the job, is
    // on its way. Take it in now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return;
  }
  endJob(timer, QString::fromStdString(tick.endMessage));
}

void LinkPopularityCommands::endJob(int timer, const QString& end) {
  if (QTimer* t = jobTimers_[timer]) t->stop();
  counts_[timer].active = false;
  host_.endJobProgress(jobName(timer));
  QString text = end;
  for (const QString& notice : takeNotices()) text += QLatin1Char(' ') + notice;
  host_.showJobEnd(text);
  host_.updateCommandUi();
}

void LinkPopularityCommands::stopAndWait() {
  if (anyRunning()) {
    // A fetch in hand may take a moment.
    ui::stopAndWait(host_.widget(), QStringLiteral("Stopping the link jobs..."), [this] { coordination_.stop.set(); },
                    [this] { return !anyRunning(); });
  }
  search_.reset();
  report_.reset();
  update_.reset();
  ++generation_;
  // The jobs' ends are on their way (their messages are void now): they are
  // shown, but nothing is asked while the project is being replaced.
  replacing_ = true;
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  replacing_ = false;
}

}  // namespace larkspur::ui
