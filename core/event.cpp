#include "core/event.h"

namespace larkspur::core {

void Event::set() {
  {
    // Storing under the mutex keeps a waiter from missing the wake-up between
    // its check of the flag and its sleep.
    std::lock_guard<std::mutex> lock(mutex_);
    set_.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}

void Event::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_.store(false, std::memory_order_release);
}

bool Event::waitFor(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return set_.load(std::memory_order_acquire); });
}

}  // namespace larkspur::core
