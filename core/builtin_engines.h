#pragma once
// The built-in Engine table: 342 targets followed by one record with an empty
// name. Generated at build time from data/engines.tsv.

#include <span>

#include "core/engine_record.h"

namespace larkspur::core {

// Every built-in record, the closing empty-name record included.
std::span<const EngineRecord> builtinEngines();

}  // namespace larkspur::core
