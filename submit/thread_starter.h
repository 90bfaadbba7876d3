#pragma once
// Starts a batch's targets on threads of their own: an automatic session
// with an HTTP engine, or a direct-request worker. Each thread is counted in
// the worker count from the moment it is started until it ends, so the
// batch's limit holds even before a new thread gets to run. Threads that have
// ended are joined at the next start; the rest when the starter goes away.

#include <cstddef>
#include <chrono>
#include <memory>

#include "core/worker_threads.h"
#include "submit/batch.h"
#include "submit/submission_context.h"
#include "web/http_engine.h"

namespace larkspur::submit {

class ThreadStarter : public TargetStarter {
 public:
  // The context needs a coordination; the starter keeps a copy of it.
  explicit ThreadStarter(const SubmissionContext& context, const web::HttpEngineOptions& engine = {});
  ~ThreadStarter() override;
  ThreadStarter(const ThreadStarter&) = delete;
  ThreadStarter& operator=(const ThreadStarter&) = delete;

  void startSession(core::EngineRecord& record) override;
  void startDirectRequest(core::EngineRecord& record) override;

  // Waits for every started thread to end.
  void joinAll();
  // Asks direct requests to give up their fetch (sessions end by the stop
  // signal) and waits at most `bound` for every thread to end.
  bool abandon(std::chrono::milliseconds bound);
  std::size_t started() const { return started_; }
  // Threads not yet joined.
  std::size_t unjoined() { return threads_.reap(); }

 private:
  SubmissionContext context_;
  web::HttpEngineOptions engine_;
  core::WorkerThreads threads_;
  std::size_t started_ = 0;
};

}  // namespace larkspur::submit
