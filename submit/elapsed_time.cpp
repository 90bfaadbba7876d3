#include "submit/elapsed_time.h"

#include <cstdio>

namespace larkspur::submit {

std::string elapsedText(int64_t s) {
  if (s < 0) s = 0;  // a clock set back shows no negative time
  const int64_t hours = s / 3600 - (s / 86400) * 24;
  const int64_t minutes = s / 60 - (s / 3600) * 60;
  const int64_t seconds = s - (s / 60) * 60;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(hours), static_cast<int>(minutes),
                static_cast<int>(seconds));
  return text;
}

}  // namespace larkspur::submit
