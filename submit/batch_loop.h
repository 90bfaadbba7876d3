#pragma once
// Runs a batch without a window: "START", then the tick every period and the
// workers' posted messages as they arrive, until the batch has finished or
// a cancel request arrives (which acts as "Cancel").

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "core/message_queue.h"
#include "submit/batch.h"

namespace larkspur::submit {

inline constexpr std::chrono::milliseconds kBatchTickPeriod{1'000};

struct BatchLoopOptions {
  std::chrono::milliseconds tickPeriod = kBatchTickPeriod;
  // Seconds since the epoch; the system clock when empty.
  std::function<int64_t()> clock;
  // How often the cancel request is looked at while waiting.
  std::chrono::milliseconds cancelPoll{100};
};

enum class BatchLoopEnd { kFinished, kCancelled };

// `cancelRequest` may be set from anywhere, a signal handler included.
BatchLoopEnd runBatchLoop(Batch& batch, core::MessageQueue& queue, const std::atomic<bool>& cancelRequest,
                          const BatchLoopOptions& options = {});

}  // namespace larkspur::submit
