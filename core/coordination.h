#pragma once
// What all long jobs of the program share: the stop signal (set by "Stop",
// "Stop Update", the batch's Cancel and closing the main window; reset by each
// operation that starts workers), the worker count and the lock that
// serialises the back-link engines' processing of found anchors.

#include <mutex>

#include "core/event.h"
#include "core/worker_count.h"

namespace larkspur::core {

struct Coordination {
  Event stop;
  WorkerCount workers;
  std::mutex linkSearchLock;
};

// The program's one instance. Tests make instances of their own.
Coordination& processCoordination();

}  // namespace larkspur::core
