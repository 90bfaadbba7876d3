#include "ui/links/progress_animation.h"

#include "links/job_texts.h"
#include "reports/links_report.h"

namespace larkspur::ui {

std::string jobEndText(int timer, bool stopped) {
  switch (timer) {
    case kSearchTimer: return std::string(links::searchEndText(stopped));
    case kCheckTimer: return std::string(reports::checkEndText(stopped));
    default: return std::string(links::updateEndText(stopped));
  }
}

std::string jobRunningText(int timer) {
  switch (timer) {
    case kSearchTimer: return "Searching ";
    case kCheckTimer: return "Checking ";
    default: return "Updating ";
  }
}

AnimationTick ProgressAnimation::tick(int timer, int32_t workers, bool stopSet) {
  AnimationTick t;
  ++step_;
  if (step_ > 9) step_ = 0;
  if (step_ % 2 == 0) {
    t.setText = true;
    t.text = jobRunningText(timer) + std::string(static_cast<std::size_t>(step_ / 2), '.');
  }
  if (workers <= 0) {
    t.ended = true;
    t.endMessage = jobEndText(timer, stopSet);
  }
  return t;
}

}  // namespace larkspur::ui
