#include "submit/batch_targets.h"

#include <algorithm>

#include "core/fixed_text.h"
#include "core/target_health.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

BatchChoice chooseBatchTargets(const core::EngineTable& engines, BatchScope scope, bool includeUnhealthy,
                               std::size_t count) {
  BatchChoice choice;
  for (std::size_t i = 0; i < std::min(count, engines.size()); ++i) {
    core::EngineRecord* record = engines.at(i);
    if (!record || record->submit_type == core::kSubmitManual) continue;
    if (scope == BatchScope::kNotYetSucceeded && record->submit_state == kStateOk) continue;
    (includeUnhealthy || core::healthAllowsProfile(*record) ? choice.targets : choice.skipped).push_back(record);
  }
  return choice;
}

std::vector<core::EngineRecord*> batchTargets(const core::EngineTable& engines, BatchScope scope, std::size_t count) {
  return chooseBatchTargets(engines, scope, false, count).targets;
}

}  // namespace larkspur::submit
