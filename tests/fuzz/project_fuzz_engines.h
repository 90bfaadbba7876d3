#pragma once
// The target list project_load_fuzz loads into and project_load_seeds saves
// from: the first few built-in targets, so that each input is cheap to load
// and the seeds' saved states match targets by name.

#include <span>

#include "core/builtin_engines.h"

namespace larkspur::fuzz {

inline std::span<const larkspur::core::EngineRecord> projectFuzzEngines() {
  return larkspur::core::builtinEngines().first(8);
}

}  // namespace larkspur::fuzz
