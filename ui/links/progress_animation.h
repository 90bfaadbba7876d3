#pragma once
// The status bar animation of the link-popularity jobs: each tick of a job's
// timer steps the animation ("Searching ..."); when the worker count has
// dropped to 0 (or below: a count reset by hand while other workers ran ends
// there) no worker is left and the job's end is due. Timer 1 is the search,
// 2 the check and 3 the update.

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
  std::string endMessage;    // when ended: "Search complete!", "Check canceled!", ...
};

// A job's running text without the animation's dots: "Searching ".
std::string jobRunningText(int timer);
// The first words of a job's end: "Search complete!", "Check canceled!", ...
std::string jobEndText(int timer, bool stopped);

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
