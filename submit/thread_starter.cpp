#include "submit/thread_starter.h"

#include "core/fixed_text.h"
#include "core/worker_count.h"
#include "submit/direct_request.h"
#include "submit/session_thread.h"

namespace larkspur::submit {

ThreadStarter::ThreadStarter(const SubmissionContext& context, const web::HttpEngineOptions& engine)
    : context_(context), engine_(engine) {}

ThreadStarter::~ThreadStarter() { joinAll(); }

void ThreadStarter::startSession(core::EngineRecord& record) {
  auto counted = std::make_unique<core::CountedWorker>(context_.coordination->workers);
  std::shared_ptr<core::CountedWorker> shared = std::move(counted);
  ++started_;
  // Threads are joined before the starter (and its copy of the context) goes.
  threads_.start([this, &record, shared](const core::Event&) mutable {
    runAutomaticSession(record, context_, engine_);
    shared.reset();
  });
}

void ThreadStarter::startDirectRequest(core::EngineRecord& record) {
  auto counted = std::make_unique<core::CountedWorker>(context_.coordination->workers);
  const std::string url(core::fieldView(context_.profile->url));
  std::shared_ptr<core::CountedWorker> shared = std::move(counted);
  ++started_;
  threads_.start([&record, url, post = context_.post, fetch = context_.fetch,
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
