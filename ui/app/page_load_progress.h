#pragma once
// The page-load progress bar of the toolbar (0 to 100): a page's report of
// -1 (done) fills it; a report strictly between 0 and the page's maximum
// steps it by 5 while it stands at 80 or less; a navigation start empties it.

namespace larkspur::ui {

inline constexpr int kPageLoadStep = 5;
inline constexpr int kPageLoadStepLimit = 80;

// The bar's next position after a progress report.
inline int pageLoadPosition(int position, long progress, long maximum) {
  if (progress == -1) return 100;
  if (progress > 0 && progress < maximum && position <= kPageLoadStepLimit) return position + kPageLoadStep;
  return position;
}

}  // namespace larkspur::ui
