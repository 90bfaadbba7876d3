#include "submit/loop_timers.h"

#include <algorithm>
#include <vector>

namespace larkspur::submit {

void LoopTimers::startTimer(SessionTimer timer, std::chrono::milliseconds period) {
  timers_[timer] = Entry{Clock::now() + period, period};
}

void LoopTimers::killTimer(SessionTimer timer) { timers_.erase(timer); }

std::chrono::milliseconds LoopTimers::fireDue(SubmissionSession& session, std::chrono::milliseconds idle) {
  const Clock::time_point now = Clock::now();
  std::vector<std::pair<Clock::time_point, SessionTimer>> due;
  for (auto& [timer, entry] : timers_) {
    if (entry.deadline <= now) due.emplace_back(entry.deadline, timer);
  }
  std::sort(due.begin(), due.end());
  for (const auto& [deadline, timer] : due) {
    auto it = timers_.find(timer);
    // An earlier timer's handler may have killed this one.
    if (it == timers_.end()) continue;
    it->second.deadline = now + it->second.period;
    session.onTimer(timer);
  }
  if (timers_.empty()) return idle;
  Clock::time_point next = Clock::time_point::max();
  for (const auto& [timer, entry] : timers_) next = std::min(next, entry.deadline);
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace larkspur::submit
