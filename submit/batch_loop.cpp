#include "submit/batch_loop.h"

#include <algorithm>
#include <ctime>

namespace larkspur::submit {

BatchLoopEnd runBatchLoop(Batch& batch, core::MessageQueue& queue, const std::atomic<bool>& cancelRequest,
                          const BatchLoopOptions& options) {
  using Steady = std::chrono::steady_clock;
  auto now = [&options]() -> int64_t {
    return options.clock ? options.clock() : static_cast<int64_t>(std::time(nullptr));
  };
  batch.start(now());
  Steady::time_point nextTick = Steady::now() + options.tickPeriod;
  while (!batch.finished()) {
    if (cancelRequest.load()) {
      batch.cancel();
      return BatchLoopEnd::kCancelled;
    }
    const Steady::time_point at = Steady::now();
    if (at >= nextTick) {
      batch.tick(now());
      nextTick += options.tickPeriod;
      // A loop that fell far behind does not make up for lost ticks at once.
      if (nextTick < at) nextTick = at + options.tickPeriod;
      continue;
    }
    const auto wait = std::min(std::chrono::ceil<std::chrono::milliseconds>(nextTick - at), options.cancelPoll);
    for (const core::Message& message : queue.waitAndTake(wait)) batch.onMessage(message);
    batch.startFreed();
  }
  return BatchLoopEnd::kFinished;
}

}  // namespace larkspur::submit
