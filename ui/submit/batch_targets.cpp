#include "ui/submit/batch_targets.h"

#include "core/fixed_text.h"
#include "submit/submit_states.h"

namespace larkspur::ui {

std::vector<core::EngineRecord*> autoSubmitTargets(const core::EngineTable& engines, AutoSubmitScope scope) {
  std::vector<core::EngineRecord*> targets;
  for (std::size_t i = 0; i < engines.size(); ++i) {
    core::EngineRecord* record = engines.at(i);
    if (!record || record->submit_type == core::kSubmitManual) continue;
    if (scope == AutoSubmitScope::NotYetSucceeded &&
        core::fieldView(record->submit_state) == submit::kStateOk) {
      continue;
    }
    targets.push_back(record);
  }
  return targets;
}

}  // namespace larkspur::ui
