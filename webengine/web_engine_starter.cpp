#include "webengine/web_engine_starter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <optional>

#include "core/fixed_text.h"
#include "core/service_hosts.h"
#include "core/worker_count.h"
#include "core/worker_threads.h"
#include "submit/direct_request.h"
#include "webengine/automatic_session.h"

namespace larkspur::webengine {

namespace {
constexpr int kWaitPollMs = 10;
}

WebEngineStarter::WebEngineStarter(const submit::SubmissionContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

WebEngineStarter::~WebEngineStarter() {
  *alive_ = false;
  for (const QPointer<AutomaticSession>& session : sessions_) delete session.data();
}

void WebEngineStarter::closeSessions() {
  for (const QPointer<AutomaticSession>& session : sessions_) {
    if (session && !session->closing()) session->closeNow();
  }
}

void WebEngineStarter::startSession(core::EngineRecord& record) {
  // Pages are asked of the service base when one is set.
  auto* started = new AutomaticSession(
      record, context_, [](std::string_view url) { return core::effectiveServiceUrl(url); }, this);
  connect(started, &AutomaticSession::closed, this, &WebEngineStarter::sessionClosed);
  sessions_.emplace_back(started);
  started->start();
}

void WebEngineStarter::startDirectRequest(core::EngineRecord& record) {
  auto counted = std::make_shared<core::CountedWorker>(context_.coordination->workers);
  auto done = std::make_shared<std::atomic<bool>>(false);
  const std::string url(core::fieldView(context_.profile->url));
  // The address goes to the service base when one is set; the record keeps
  // its own.
  core::EngineRecord work = record;
  work.submit_hint = core::effectiveServiceUrl(record.submit_hint.view());
  const bool started = core::processWorkerThreads().start(
      [&record, work, url, post = context_.post, fetch = context_.fetch, alive = alive_, done,
       counted](const core::Event& abandon) mutable {
        std::optional<core::Message> report;
        submit::runDirectRequest(work, url, [&report](core::Message m) { report = std::move(m); }, fetch, &abandon);
        counted.reset();
        done->store(true);
        if (!report || abandon.isSet()) return;
        // The outcome goes into the record on the GUI thread, and only while
        // the batch that started it is still there.
        QMetaObject::invokeMethod(
            qApp,
            [&record, work, alive, post, message = std::move(*report)]() mutable {
              if (!*alive) return;
              record.submit_state = work.submit_state.view();
              record.message = work.message.view();
              message.record = &record;
              if (post) post(std::move(message));
            },
            Qt::QueuedConnection);
      });
  if (!started) done->store(true);
  requests_.push_back(std::move(done));
}

int WebEngineStarter::runningSessions() const {
  return static_cast<int>(std::count_if(sessions_.begin(), sessions_.end(),
                                        [](const QPointer<AutomaticSession>& s) { return s && !s->closing(); }));
}

int WebEngineStarter::running() const {
  const auto requests = std::count_if(requests_.begin(), requests_.end(),
                                      [](const std::shared_ptr<std::atomic<bool>>& done) { return !done->load(); });
  return runningSessions() + static_cast<int>(requests);
}

std::vector<AutomaticSession*> WebEngineStarter::sessions() const {
  std::vector<AutomaticSession*> out;
  for (const QPointer<AutomaticSession>& s : sessions_) {
    if (s && !s->closing()) out.push_back(s.data());
  }
  return out;
}

bool WebEngineStarter::waitForAll(int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &loop, [this, &loop, &clock, timeoutMs] {
    if (running() == 0 || clock.elapsed() >= timeoutMs) loop.quit();
  });
  poll.start(kWaitPollMs);
  if (running() > 0) loop.exec(QEventLoop::ExcludeUserInputEvents);
  return running() == 0;
}

}  // namespace larkspur::webengine
