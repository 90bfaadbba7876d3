#pragma once
// A set of worker threads that are joined as they end instead of piling up
// until their owner goes: every start first reaps the threads that have
// ended, so a batch of hundreds of targets keeps only the few that still run.
// Work is handed an abandon event that only abandon() sets (at program exit
// or when the owner gives up waiting), so a wait inside the work can end
// within a second when the program must go.

#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "core/event.h"

namespace larkspur::core {

class WorkerThreads {
 public:
  WorkerThreads() = default;
  // Sets the abandon event and joins every thread.
  ~WorkerThreads();
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  // Starts `work` on a thread of its own. Returns false when no thread could
  // be made (the work then never runs).
  bool start(std::function<void(const Event& abandon)> work);
  // Joins the threads whose work has ended; returns how many still run.
  std::size_t reap();
  std::size_t running() const;
  // Waits until every thread has ended or `bound` has passed; returns whether
  // all ended. Ended threads are joined.
  bool waitAll(std::chrono::milliseconds bound);
  // Asks running work to give up its waits.
  void abandon() { abandon_.set(); }
  const Event& abandonEvent() const { return abandon_; }

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<Event> done = std::make_shared<Event>();
  };

  mutable std::mutex lock_;
  std::list<Worker> workers_;
  Event abandon_;
};

// The program's workers that may outlive the window that started them (the
// batch dialog's direct requests after Cancel); the program abandons and
// waits for them, with a bound, before it exits.
WorkerThreads& processWorkerThreads();

}  // namespace larkspur::core
