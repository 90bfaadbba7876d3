#pragma once
// The console side of a long job: Ctrl-C becomes the stop signal, and on a
// terminal a status line shows the job moving ("Searching ...", with counts).

#include <atomic>
#include <functional>
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

}  // namespace larkspur::cli
