#include "core/worker_count.h"

namespace larkspur::core {

void WorkerCount::add() {
  std::lock_guard<std::mutex> guard(lock_);
  count_.store(count_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void WorkerCount::remove() {
  std::lock_guard<std::mutex> guard(lock_);
  count_.store(count_.load(std::memory_order_relaxed) - 1, std::memory_order_release);
}

}  // namespace larkspur::core
