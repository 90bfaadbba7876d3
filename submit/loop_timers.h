#pragma once
// Session timers for a thread that runs its own loop: deadlines on the
// steady clock, fired by the loop when they are due.

#include <chrono>
#include <map>

#include "submit/submission_session.h"

namespace larkspur::submit {

class LoopTimers : public SessionTimers {
 public:
  using Clock = std::chrono::steady_clock;

  void startTimer(SessionTimer timer, std::chrono::milliseconds period) override;
  void killTimer(SessionTimer timer) override;

  // Fires every timer that is due (each at most once per call, in the order
  // of their deadlines) and returns the time until the next deadline, or
  // `idle` when no timer runs.
  std::chrono::milliseconds fireDue(SubmissionSession& session,
                                    std::chrono::milliseconds idle = std::chrono::milliseconds(100));
  bool empty() const { return timers_.empty(); }

 private:
  struct Entry {
    Clock::time_point deadline;
    std::chrono::milliseconds period;
  };
  std::map<SessionTimer, Entry> timers_;
};

}  // namespace larkspur::submit
