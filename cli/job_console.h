#pragma once
// The console side of a long job: Ctrl-C becomes the stop signal, and on a
// terminal a status line shows the job moving ("Searching ...", with counts).

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "core/coordination.h"
#include "core/message_queue.h"

namespace larkspur::cli {

// Installs a SIGINT handler for its lifetime. The handler only sets a flag
// (and gives the next Ctrl-C back to the system, so a second one ends the
// program at once); the job's loop turns the flag into the stop signal.
class InterruptToStop {
 public:
  InterruptToStop();
  ~InterruptToStop();
  InterruptToStop(const InterruptToStop&) = delete;
  InterruptToStop& operator=(const InterruptToStop&) = delete;

  bool interrupted() const;
  // The flag itself, for loops that poll an atomic.
  const std::atomic<bool>& flag() const;
};

struct JobWatch {
  // "Searching", "Updating", "Checking": the animation's word.
  std::string word;
  // Whether every worker of the job has ended.
  std::function<bool()> finished;
  // Called on this thread for every message the workers posted.
  std::function<void(const core::Message&)> onMessage;
  // Extra text behind the animation, e.g. "12 links found".
  std::function<std::string()> detail;
};

// Runs the job's loop until it has finished: drains the queue, turns Ctrl-C
// into the stop signal and, when standard error is a terminal, redraws the
// status line. Returns whether the stop signal was set at the end.
bool watchJob(const JobWatch& watch, core::MessageQueue& queue, core::Coordination& coordination,
              const InterruptToStop& interrupt);

// What a job run from the console works with: the process's coordination,
// the queue its workers post to, and Ctrl-C as its stop signal.
struct ConsoleJob {
  core::Coordination& coordination = core::processCoordination();
  core::MessageQueue queue;
  InterruptToStop interrupt;

  // watchJob on this job.
  bool watch(const JobWatch& jobWatch) { return watchJob(jobWatch, queue, coordination, interrupt); }
  // Runs `work` on a worker thread of its own and watches it (with
  // `watch.finished` set to the work's end) until it has ended. Returns
  // whether the stop signal was set, or nothing when no thread could be
  // made (the work then never runs).
  std::optional<bool> watchWorker(JobWatch jobWatch, const std::function<void()>& work);
};

}  // namespace larkspur::cli
