#include "ui/links/progress_animation.h"

namespace larkspur::ui {

namespace {

const char* baseText(int timer) {
  switch (timer) {
    case kSearchTimer: return "Searching ";
    case kCheckTimer: return "Checking ";
    default: return "Updating ";
  }
}

const char* endText(int timer, bool stopped) {
  switch (timer) {
    case kSearchTimer: return stopped ? "Search canceled!" : "Search complete!";
    case kCheckTimer: return stopped ? "Check canceled!" : "Check complete!";
    default: return stopped ? "Update canceled!" : "Update complete!";
  }
}

}  // namespace

AnimationTick ProgressAnimation::tick(int timer, int32_t workers, bool stopSet) {
  AnimationTick t;
  ++step_;
  if (step_ > 9) step_ = 0;
  if (step_ % 2 == 0) {
    t.setText = true;
    t.text = baseText(timer) + std::string(static_cast<std::size_t>(step_ / 2), '.');
  }
  if (workers <= 0) {
    t.ended = true;
    t.stopAllTimers = !stopSet;
    t.endMessage = endText(timer, stopSet);
  }
  return t;
}

}  // namespace larkspur::ui
