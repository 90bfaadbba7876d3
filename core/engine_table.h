#pragma once
// The Engine table: owned Engine records in built-in order. Records never move
// while the table exists, so views and workers may hold their addresses.

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "core/engine_record.h"

namespace larkspur::core {

class EngineTable {
 public:
  EngineTable() = default;
  EngineTable(const EngineTable&) = delete;
  EngineTable& operator=(const EngineTable&) = delete;

  // Appends a zeroed copy of each record, in order, stopping at the first
  // record whose name is empty.
  void build(std::span<const EngineRecord> records);
  // Appends copies of the built-in records.
  void buildFromBuiltIn();
  // Appends a copy of one record and returns its stable address.
  EngineRecord* append(const EngineRecord& record);
  // Frees every record.
  void clear();

  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  EngineRecord* at(std::size_t i) const { return records_[i].get(); }
  // Index of a record by address, or -1.
  long indexOf(const EngineRecord* record) const;

 private:
  std::vector<std::unique_ptr<EngineRecord>> records_;
};

// The records of a table whose targets come from a targets file: the file's
// targets first, then the built-in targets it does not name, so that a
// project saved from that table keeps those targets' states as they were.
std::vector<EngineRecord> withBuiltInRest(std::span<const EngineRecord> fileTargets);

}  // namespace larkspur::core
