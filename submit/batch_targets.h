#pragma once
// The targets a batch submission is run on: every automatic target of the
// Engine table in table order, or, for a reset run, those not yet submitted
// successfully. Targets whose last check says the profile may not be sent
// there (core/target_health.h) are left out unless the caller includes them.
// The desktop program's "Auto Submit ALL/Reset" and the command line's submit
// choose the same way.

#include <cstddef>
#include <limits>
#include <vector>

#include "core/engine_record.h"
#include "core/engine_table.h"

namespace larkspur::submit {

enum class BatchScope {
  kAll,              // every target whose submit type is not 0
  kNotYetSucceeded,  // the same without those whose state is exactly "Submit-OK"
};

struct BatchChoice {
  std::vector<core::EngineRecord*> targets;
  std::vector<core::EngineRecord*> skipped;  // left out for their last check's verdict
};

// Among the first `count` records of the table.
BatchChoice chooseBatchTargets(const core::EngineTable& engines, BatchScope scope, bool includeUnhealthy,
                               std::size_t count = std::numeric_limits<std::size_t>::max());
// The targets alone, unhealthy ones left out.
std::vector<core::EngineRecord*> batchTargets(const core::EngineTable& engines, BatchScope scope,
                                              std::size_t count = std::numeric_limits<std::size_t>::max());

}  // namespace larkspur::submit
