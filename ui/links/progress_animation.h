#pragma once
// The status bar animation of the link-popularity jobs: each tick of a job's
// timer steps the animation; when the worker count has dropped to 0 (or
// below: a count reset by hand while other workers ran ends there) the job is
// over and an end message is due. Timer 1 is the search, 2 the check and 3
// the update.

#include <cstdint>
#include <string>

namespace larkspur::ui {

inline constexpr int kSearchTimer = 1;
inline constexpr int kCheckTimer = 2;
inline constexpr int kUpdateTimer = 3;

struct AnimationTick {
  bool setText = false;      // the message pane shows `text`
  std::string text;
  bool ended = false;        // no worker is left
  bool stopAllTimers = false;  // when ended: stop timers 1 to 3, else only this one
  std::string endMessage;    // when ended: the message box text
};

class ProgressAnimation {
 public:
  // One tick of timer `timer` (1 to 3) with the current worker count and the
  // state of the stop signal.
  AnimationTick tick(int timer, int32_t workers, bool stopSet);
  int32_t step() const { return step_; }

 private:
  int32_t step_ = 0;  // 0 to 9; kept from one job to the next
};

}  // namespace larkspur::ui
