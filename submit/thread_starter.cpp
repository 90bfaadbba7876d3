#include "submit/thread_starter.h"

#include "core/fixed_text.h"
#include "core/worker_count.h"
#include "submit/direct_request.h"
#include "submit/session_thread.h"

namespace larkspur::submit {

ThreadStarter::ThreadStarter(StarterSettings settings) : settings_(std::move(settings)) {}

ThreadStarter::~ThreadStarter() { joinAll(); }

void ThreadStarter::startSession(core::EngineRecord& record) {
  auto counted = std::make_unique<core::CountedWorker>(settings_.coordination->workers);
  AutomaticSessionSettings session;
  session.profile = settings_.profile;
  session.words = settings_.words;
  session.post = settings_.post;
  session.stop = &settings_.coordination->stop;
  session.timings = settings_.timings;
  session.engine = settings_.engine;
  std::shared_ptr<core::CountedWorker> shared = std::move(counted);
  ++started_;
  threads_.start([&record, session, shared](const core::Event&) mutable {
    runAutomaticSession(record, session);
    shared.reset();
  });
}

void ThreadStarter::startDirectRequest(core::EngineRecord& record) {
  auto counted = std::make_unique<core::CountedWorker>(settings_.coordination->workers);
  const std::string url(core::fieldView(settings_.profile->url));
  std::shared_ptr<core::CountedWorker> shared = std::move(counted);
  ++started_;
  threads_.start([&record, url, post = settings_.post, fetch = settings_.fetch,
                  shared](const core::Event& abandon) mutable {
    runDirectRequest(record, url, post, fetch, &abandon);
    shared.reset();
  });
}

void ThreadStarter::joinAll() { threads_.waitAll(std::chrono::hours(24 * 365)); }

bool ThreadStarter::abandon(std::chrono::milliseconds bound) {
  threads_.abandon();
  return threads_.waitAll(bound);
}

}  // namespace larkspur::submit
