#include "core/target_health.h"

#include <algorithm>

namespace larkspur::core {

bool healthAllowsProfile(std::string_view verdict) {
  return verdict.empty() || verdict == kHealthLive || verdict == kHealthUnknown;
}

std::string skippedByHealthText(const EngineRecord& record) {
  std::string text = "Skipped: " + record.health.str();
  if (!record.health_reason.empty()) text += " (" + record.health_reason.str() + ")";
  return text;
}

}  // namespace larkspur::core
