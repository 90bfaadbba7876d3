#pragma once
// A manual-reset event: once set it stays set until reset, and every waiter
// sees it. Workers poll it at their own checkpoints (isSet) or sleep on it
// with a bound (waitFor). Safe to use from any number of threads.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace larkspur::core {

class Event {
 public:
  explicit Event(bool initiallySet = false) : set_(initiallySet) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // Sets the event and wakes every waiter.
  void set();
  // Clears the event.
  void reset();
  // Whether the event is set; never blocks.
  bool isSet() const { return set_.load(std::memory_order_acquire); }
  // Waits until the event is set or the time-out has passed; returns isSet().
  bool waitFor(std::chrono::milliseconds timeout) const;

 private:
  std::atomic<bool> set_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
};

}  // namespace larkspur::core
