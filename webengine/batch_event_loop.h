#pragma once
// Runs a batch from the Qt event loop, by the rules submit::runBatchLoop
// follows on a plain thread: "START", the tick every period, the reports
// handed to the batch as they are taken from the queue, the next target
// started in place of each that ended within its tick, until the batch has
// finished or a cancel request arrives (which acts as "Cancel"). For a batch
// whose sessions live on the event loop (Qt WebEngine pages) without the
// batch dialog.

#include <atomic>

#include "core/message_queue.h"
#include "submit/batch.h"
#include "submit/batch_loop.h"

namespace larkspur::webengine {

// `cancelRequest` may be set from anywhere, a signal handler included; it and
// the queue are looked at every options.cancelPoll.
submit::BatchLoopEnd runBatchOnEventLoop(submit::Batch& batch, core::MessageQueue& queue,
                                         const std::atomic<bool>& cancelRequest,
                                         const submit::BatchLoopOptions& options = {});

}  // namespace larkspur::webengine
