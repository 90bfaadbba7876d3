#include "core/counted_thread.h"

#include <system_error>
#include <utility>

namespace larkspur::core {

CountedThread::CountedThread(core::WorkerCount& count, std::function<void()> work) {
  count.add();
  try {
    thread_ = std::thread([&count, work = std::move(work)] {
      work();
      count.remove();
    });
  } catch (const std::system_error&) {
    count.remove();
  }
}

CountedThread::~CountedThread() { join(); }

void CountedThread::join() {
  if (thread_.joinable()) {
    thread_.join();
    joined_ = true;
  }
}

}  // namespace larkspur::core
