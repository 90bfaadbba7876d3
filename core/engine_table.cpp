#include "core/engine_table.h"

#include <set>
#include <string>

#include "core/builtin_engines.h"

namespace larkspur::core {

void EngineTable::build(std::span<const EngineRecord> records) {
  for (const EngineRecord& record : records) {
    if (record.name.empty()) break;
    append(record);
  }
}

void EngineTable::buildFromBuiltIn() { build(builtinEngines()); }

EngineRecord* EngineTable::append(const EngineRecord& record) {
  records_.push_back(std::make_unique<EngineRecord>(record));
  return records_.back().get();
}

void EngineTable::clear() { records_.clear(); }

long EngineTable::indexOf(const EngineRecord* record) const {
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].get() == record) return static_cast<long>(i);
  }
  return -1;
}

std::vector<EngineRecord> withBuiltInRest(std::span<const EngineRecord> fileTargets) {
  std::vector<EngineRecord> all(fileTargets.begin(), fileTargets.end());
  std::set<std::string> names;
  for (const EngineRecord& r : fileTargets) names.insert(r.name.str());
  for (const EngineRecord& r : builtinEngines()) {
    if (r.name.empty()) break;
    if (!names.count(r.name.str())) all.push_back(r);
  }
  return all;
}

}  // namespace larkspur::core
