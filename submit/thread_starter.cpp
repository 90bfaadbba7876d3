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
  threads_.emplace_back([&record, session, counted = std::move(counted)]() mutable {
    runAutomaticSession(record, session);
    counted.reset();
  });
}

void ThreadStarter::startDirectRequest(core::EngineRecord& record) {
  auto counted = std::make_unique<core::CountedWorker>(settings_.coordination->workers);
  const std::string url(core::fieldView(settings_.profile->url));
  threads_.emplace_back([&record, url, post = settings_.post, fetch = settings_.fetch,
                         counted = std::move(counted)]() mutable {
    runDirectRequest(record, url, post, fetch);
    counted.reset();
  });
}

void ThreadStarter::joinAll() {
  for (std::thread& t : threads_) {
    if (t.joinable()) t.join();
  }
}

}  // namespace larkspur::submit
