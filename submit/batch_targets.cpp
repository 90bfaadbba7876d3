#include "submit/batch_targets.h"

#include <algorithm>

#include "core/fixed_text.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

std::vector<core::EngineRecord*> batchTargets(const core::EngineTable& engines, BatchScope scope, std::size_t count) {
  std::vector<core::EngineRecord*> targets;
  for (std::size_t i = 0; i < std::min(count, engines.size()); ++i) {
    core::EngineRecord* record = engines.at(i);
    if (!record || record->submit_type == core::kSubmitManual) continue;
    if (scope == BatchScope::kNotYetSucceeded && record->submit_state == kStateOk) continue;
    targets.push_back(record);
  }
  return targets;
}

}  // namespace larkspur::submit
