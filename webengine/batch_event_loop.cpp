#include "webengine/batch_event_loop.h"

#include <QEventLoop>
#include <QTimer>
#include <ctime>

namespace larkspur::webengine {

submit::BatchLoopEnd runBatchOnEventLoop(submit::Batch& batch, core::MessageQueue& queue,
                                         const std::atomic<bool>& cancelRequest,
                                         const submit::BatchLoopOptions& options) {
  auto now = [&options]() -> int64_t {
    return options.clock ? options.clock() : static_cast<int64_t>(std::time(nullptr));
  };
  batch.start(now());
  if (batch.finished()) return submit::BatchLoopEnd::kFinished;

  QEventLoop loop;
  submit::BatchLoopEnd end = submit::BatchLoopEnd::kFinished;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    batch.tick(now());
    if (batch.finished()) loop.quit();
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (cancelRequest.load()) {
      batch.cancel();
      end = submit::BatchLoopEnd::kCancelled;
      loop.quit();
      return;
    }
    for (const core::Message& message : queue.take()) batch.onMessage(message);
    batch.startFreed();
    if (batch.finished()) loop.quit();
  });
  tick.start(options.tickPeriod);
  poll.start(options.cancelPoll);
  loop.exec();
  return end;
}

}  // namespace larkspur::webengine
