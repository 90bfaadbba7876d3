#include "webengine/web_engine_browser.h"

#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <algorithm>

#include "web/navigation_codes.h"
#include "webengine/page_scripts.h"
#include "webengine/session_page.h"
#include "webengine/web_engine_errors.h"

namespace larkspur::webengine {

namespace {

QString withoutScheme(const QUrl& url) {
  const QString text = url.toString();
  const int at = text.indexOf(QLatin1String("://"));
  return at < 0 ? text : text.mid(at + 3);
}

constexpr int kRendererWatchMs = 250;

// The resident memory of a process in bytes, 0 when unknown.
qint64 residentBytes(qint64 pid) {
  if (pid <= 0) return 0;
  QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

QString trailingSlashOff(QString text) {
  while (text.endsWith(QLatin1Char('/'))) text.chop(1);
  return text;
}

}  // namespace

WebEngineBrowser::WebEngineBrowser(SessionPage* page, QObject* parent) : QObject(parent), page_(page) {
  const QString unique = QUuid::createUuid().toString(QUuid::Id128);
  // The line a watched frame writes to the console when it has loaded: only
  // this engine's scripts know it.
  watchToken_ = QStringLiteral("larkspur-frame-load-%1:").arg(unique);
  idBase_ = unique.left(12);
  if (!page_) return;
  connect(page_, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::onLoadingChanged);
  connect(page_, &QWebEnginePage::titleChanged, this, &WebEngineBrowser::onTitleChanged);
  connect(page_, &QWebEnginePage::linkHovered, this, &WebEngineBrowser::onLinkHovered);
  page_->setConsoleHandler([this](const QString& message) { return onConsoleMessage(message); });
  rendererWatch_ = new QTimer(this);
  connect(rendererWatch_, &QTimer::timeout, this, &WebEngineBrowser::watchRenderer);
  // A renderer that dies (out of memory, killed, crashed) shows nothing
  // more: the session hears of it at once instead of at its time-out.
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (closed_ || !events_ || status == QWebEnginePage::NormalTerminationStatus) return;
            events_->navigationError(page_->url().toString().toStdString(), std::string(), web::kNavCannotLoadData,
                                     web::LoadScope::kPage);
          });
}

WebEngineBrowser::~WebEngineBrowser() {
  closed_ = true;
  if (page_) page_->setConsoleHandler({});
}

SessionPage* WebEngineBrowser::page() const { return page_.data(); }

void WebEngineBrowser::navigate(std::string_view url) {
  if (closed_ || !page_) return;
  const std::string address = addressMap_ ? addressMap_(url) : std::string(url);
  if (const uint32_t refused = navigationCodeForAddress(address)) {
    // Reported from the event loop, as a browser reports a failed load.
    const uint64_t generation = generation_;
    const uint64_t load = load_;
    QTimer::singleShot(0, this, [this, address, refused, generation, load] {
      if (current(generation, load) && events_) events_->navigationError(address, std::string(), refused, web::LoadScope::kPage);
    });
    return;
  }
  page_->load(QUrl(QString::fromStdString(address)));
  rendererWatch_->start(kRendererWatchMs);
}

void WebEngineBrowser::watchRenderer() {
  if (closed_ || !page_) {
    rendererWatch_->stop();
    return;
  }
  if (residentBytes(page_->renderProcessPid()) > rendererLimit_) giveUpAsTooLarge();
}

void WebEngineBrowser::giveUpAsTooLarge() {
  rendererWatch_->stop();
  stopLoading();
  if (!events_) return;
  web::Document empty(page_->url().toString().toStdString(), std::string(), {});
  empty.markCut();
  events_->documentComplete(empty);
}

void WebEngineBrowser::stopLoading() {
  ++generation_;
  if (page_ && !closed_) page_->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::close() {
  if (closed_) return;
  stopLoading();
  closed_ = true;
  if (rendererWatch_) rendererWatch_->stop();
  delivering_.clear();
  if (page_) page_->setConsoleHandler({});
}

void WebEngineBrowser::carryOut(web::Document& document) {
  const auto it = std::find_if(delivering_.begin(), delivering_.end(),
                               [&document](const Delivered& d) { return d.document == &document; });
  if (it == delivering_.end() || closed_ || !page_ || document.actions().empty()) {
    document.clearActions();
    return;
  }
  const QString script = actionsScript(it->path, it->id, document, document.actions());
  document.clearActions();
  page_->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
  if (closed_ || !page_) return;
  const std::string url = info.url().toString().toStdString();
  switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
      ++load_;
      if (showWhenLoading_ && !shown_) {
        shown_ = true;
        page_->setVisible(true);
      }
      if (events_) events_->navigationStarting(url);
      break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
      snapshot({});
      break;
    case QWebEngineLoadingInfo::LoadFailedStatus: {
      const auto domain = static_cast<LoadErrorDomain>(info.errorDomain());
      const uint32_t code = navigationCodeForLoad(domain, info.errorCode());
      const uint64_t generation = generation_;
      const uint64_t load = load_;
      // Only the main frame's loads are reported here.
      if (code != 0 && events_) events_->navigationError(url, std::string(), code, web::LoadScope::kPage);
      // An HTTP error status still shows the server's page.
      if (domain == LoadErrorDomain::kHttpStatusCode && current(generation, load)) snapshot({});
      break;
    }
    case QWebEngineLoadingInfo::LoadStoppedStatus:
      break;
  }
}

bool WebEngineBrowser::isPlaceholderTitle(const QString& title) const {
  // Until a page has a title of its own, Chromium shows its address (without
  // the scheme) or, for an error page, the host.
  const QUrl url = page_->url();
  const QString bare = trailingSlashOff(title);
  return bare == trailingSlashOff(withoutScheme(url)) || bare == trailingSlashOff(url.toString()) ||
         title == url.host() || bare == trailingSlashOff(withoutScheme(page_->requestedUrl()));
}

void WebEngineBrowser::onTitleChanged(const QString& title) {
  if (closed_ || !page_ || !events_) return;
  if (title.isEmpty() || isPlaceholderTitle(title)) return;
  std::string text = title.toStdString();
  if (text == title_) return;
  title_ = text;
  events_->titleChange(text);
}

void WebEngineBrowser::onLinkHovered(const QString& url) {
  if (closed_ || !events_) return;
  events_->statusTextChange(url.toStdString());
}

bool WebEngineBrowser::onConsoleMessage(const QString& message) {
  std::vector<int> path;
  if (!parseFrameLoad(message, watchToken_, path)) return false;
  // A frame of the page has loaded a new document (a form sent inside it).
  if (!closed_ && !path.empty()) snapshot(path);
  return true;
}

void WebEngineBrowser::scheduleSettleCheck(int left) {
  if (left <= 0 || closed_ || !looksWhileSettling_) return;
  const uint64_t generation = generation_;
  const uint64_t load = load_;
  QPointer<WebEngineBrowser> self(this);
  QTimer::singleShot(settleInterval_, this, [self, generation, load, left] {
    if (self && self->current(generation, load)) self->snapshot({}, left - 1);
  });
}

namespace {

// What tells one state of a page from another: its documents' addresses,
// element counts and texts (what the user reads, not what was typed).
std::size_t fingerprintOf(const std::vector<SnapshotDocument>& documents) {
  std::size_t hash = documents.size();
  for (const SnapshotDocument& d : documents) {
    const std::string text = d.document.size() > 0 ? d.document.textOf(0) : std::string();
    for (const std::size_t part : {std::hash<std::string>{}(d.document.url()), d.document.size(),
                                   std::hash<std::string>{}(text)}) {
      hash = hash * 1000003u ^ part;
    }
  }
  return hash;
}

// Whether a page is small enough to be looked at again as it settles.
bool worthSettling(const std::vector<SnapshotDocument>& documents) {
  std::size_t elements = 0;
  for (const SnapshotDocument& d : documents) {
    if (d.document.cut()) return false;
    elements += d.document.size();
  }
  return elements <= 5000;
}

}  // namespace

void WebEngineBrowser::snapshot(const std::vector<int>& path, int settleChecksLeft) {
  // Nobody to hand documents to: nothing to snapshot.
  if (closed_ || !page_ || !events_) return;
  const uint64_t generation = generation_;
  const uint64_t load = load_;
  const QString ids = QStringLiteral("%1-%2").arg(idBase_).arg(++snapshots_);
  ++pendingSnapshots_;
  QPointer<WebEngineBrowser> self(this);
  page_->runJavaScript(snapshotScript(path, ids, watchToken_), QWebEngineScript::ApplicationWorld,
                       [self, generation, load, settleChecksLeft, whole = path.empty()](const QVariant& result) {
                         if (!self) return;
                         --self->pendingSnapshots_;
                         if (!self->current(generation, load) || !self->events_) return;
                         std::vector<SnapshotDocument> documents = parseSnapshot(result.toString());
                         if (whole) {
                           const std::size_t fingerprint = fingerprintOf(documents);
                           const bool same = fingerprint == self->pageFingerprint_;
                           self->pageFingerprint_ = fingerprint;
                           // A page is looked at again only while it is of the
                           // size of a form: a large one costs too much to copy.
                           if (worthSettling(documents)) {
                             self->scheduleSettleCheck(settleChecksLeft < 0 ? kSettleChecks : settleChecksLeft);
                           }
                           if (settleChecksLeft >= 0 && same) return;
                         }
                         for (SnapshotDocument& d : documents) {
                           self->delivering_.push_back({&d.document, d.path, d.id});
                           self->events_->documentComplete(d.document);
                           // The session may have stopped or closed the engine,
                           // or even let it go, from inside the notification.
                           if (!self) return;
                           self->delivering_.clear();
                           if (!self->current(generation, load)) return;
                         }
                         emit self->documentsDelivered();
                       });
}

}  // namespace larkspur::webengine
