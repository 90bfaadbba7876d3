#include "ui/links/link_popularity_commands.h"

#include <QProgressBar>
#include <QTimer>
#include <QUrl>
#include <ctime>
#include <string>
#include <utility>

#include "core/fixed_text.h"
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

constexpr int kStatusProgressStep = 10;

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
  search_->setFinishedHandler(
      [this] { QMetaObject::invokeMethod(this, [this] { host_.updateCommandUi(); }, Qt::QueuedConnection); });
  search_->start(url);
  startJobTimer(kSearchTimer, options_.searchTimerMs);
  host_.updateCommandUi();
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
  startJobTimer(kCheckTimer, options_.checkTimerMs);
  host_.updateCommandUi();
}

void LinkPopularityCommands::onReportFinished(const QString& path, const QString& error) {
  const bool written = error.isEmpty();
  if (written) {
    // A file the desktop cannot open is named, so that the user can open it
    // by hand.
    openOnDesktop(host_.widget(), QUrl::fromLocalFile(path));
  } else {
    // "Create file error!" and why.
    MessageBoxes::warn(host_.widget(), error);
  }
  host_.updateCommandUi();
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
    QMetaObject::invokeMethod(this, [this] { host_.updateCommandUi(); }, Qt::QueuedConnection);
  });
  if (!update_->started()) updateDone_ = true;
  startJobTimer(kUpdateTimer, options_.updateTimerMs);
  host_.updateCommandUi();
}

void LinkPopularityCommands::startJobTimer(int timer, int intervalMs) {
  QTimer*& t = jobTimers_[timer];
  if (!t) {
    t = new QTimer(this);
    connect(t, &QTimer::timeout, this, [this, timer] { jobTick(timer); });
  }
  t->start(intervalMs);
}

bool LinkPopularityCommands::jobTimerActive(int timer) const {
  const auto it = jobTimers_.find(timer);
  return it != jobTimers_.end() && it->second->isActive();
}

void LinkPopularityCommands::jobTick(int timer) {
  // The progress control wraps to its start when a step passes its end.
  QProgressBar* progress = host_.statusProgress();
  const int stepped = progress->value() + kStatusProgressStep;
  progress->setValue(stepped > progress->maximum() ? progress->minimum() : stepped);
  const AnimationTick tick = animation_.tick(timer, coordination_.workers.value(), coordination_.stop.isSet());
  if (tick.setText) host_.showStatusMessage(QString::fromStdString(tick.text));
  if (!tick.ended) return;
  progress->setValue(0);
  for (auto& [id, t] : jobTimers_) {
    if (tick.stopAllTimers || id == timer) t->stop();
  }
  QString end = QString::fromStdString(tick.endMessage);
  for (const QString& notice : takeNotices()) end += QLatin1Char('\n') + notice;
  MessageBoxes::inform(host_.widget(), end);
  host_.showStatusMessage(QStringLiteral("Ready"));
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
}

}  // namespace larkspur::ui
