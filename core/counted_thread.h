#pragma once
// A worker thread counted in the worker count. The count goes up on the
// starting thread, before the thread exists, so whoever watches the count
// never sees 0 between a start and the worker's first step; it goes down
// when the work has ended.

#include <functional>
#include <thread>

#include "core/worker_count.h"

namespace larkspur::core {

class CountedThread {
 public:
  CountedThread(core::WorkerCount& count, std::function<void()> work);
  // Waits for the work to end.
  ~CountedThread();
  CountedThread(const CountedThread&) = delete;
  CountedThread& operator=(const CountedThread&) = delete;

  // False when no thread could be made (the count is then back as it was).
  bool started() const { return thread_.joinable() || joined_; }
  void join();

 private:
  std::thread thread_;
  bool joined_ = false;
};

}  // namespace larkspur::core
