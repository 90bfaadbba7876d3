#pragma once
// The targets a batch submission is run on: every automatic target of the
// Engine table in table order, or, for a reset run, those not yet submitted
// successfully.

#include <vector>

#include "core/engine_record.h"
#include "core/engine_table.h"

namespace larkspur::ui {

enum class AutoSubmitScope {
  All,              // every target whose submit type is not 0
  NotYetSucceeded,  // the same without those whose state is exactly "Submit-OK"
};

std::vector<core::EngineRecord*> autoSubmitTargets(const core::EngineTable& engines, AutoSubmitScope scope);

}  // namespace larkspur::ui
