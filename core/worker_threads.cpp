#include "core/worker_threads.h"

#include <system_error>
#include <utility>

namespace larkspur::core {

WorkerThreads::~WorkerThreads() {
  abandon();
  std::lock_guard<std::mutex> guard(lock_);
  for (Worker& w : workers_) {
    if (w.thread.joinable()) w.thread.join();
  }
}

bool WorkerThreads::start(std::function<void(const Event& abandon)> work) {
  reap();
  std::lock_guard<std::mutex> guard(lock_);
  Worker& worker = workers_.emplace_back();
  try {
    worker.thread = std::thread([work = std::move(work), done = worker.done, this] {
      work(abandon_);
      done->set();
    });
  } catch (const std::system_error&) {
    workers_.pop_back();
    return false;
  }
  return true;
}

std::size_t WorkerThreads::reap() {
  std::lock_guard<std::mutex> guard(lock_);
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done->isSet()) {
      if (it->thread.joinable()) it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
  return workers_.size();
}

std::size_t WorkerThreads::running() const {
  std::lock_guard<std::mutex> guard(lock_);
  std::size_t n = 0;
  for (const Worker& w : workers_) n += w.done->isSet() ? 0 : 1;
  return n;
}

bool WorkerThreads::waitAll(std::chrono::milliseconds bound) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (true) {
    std::shared_ptr<Event> pending;
    {
      std::lock_guard<std::mutex> guard(lock_);
      for (const Worker& w : workers_) {
        if (!w.done->isSet()) {
          pending = w.done;
          break;
        }
      }
    }
    if (!pending) break;
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) break;
    pending->waitFor(std::chrono::ceil<std::chrono::milliseconds>(until - now));
  }
  return reap() == 0;
}

WorkerThreads& processWorkerThreads() {
  static WorkerThreads threads;
  return threads;
}

}  // namespace larkspur::core
