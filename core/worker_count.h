#pragma once
// The count of running workers: changed under its lock, read without it. The
// batch uses it as its limit of concurrent workers and the main window's
// timers read it to see when a job has ended.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace larkspur::core {

class WorkerCount {
 public:
  void add();
  void remove();
  // The current count; never blocks.
  int32_t value() const { return count_.load(std::memory_order_acquire); }

 private:
  std::mutex lock_;
  std::atomic<int32_t> count_{0};
};

// Counts one worker from construction to destruction.
class CountedWorker {
 public:
  explicit CountedWorker(WorkerCount& count) : count_(count) { count_.add(); }
  ~CountedWorker() { count_.remove(); }
  CountedWorker(const CountedWorker&) = delete;
  CountedWorker& operator=(const CountedWorker&) = delete;

 private:
  WorkerCount& count_;
};

}  // namespace larkspur::core
