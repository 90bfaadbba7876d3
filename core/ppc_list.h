#pragma once
// The PPC list: owned copies of the built-in PPC records, program-wide and
// read-only for its views.

#include <cstddef>
#include <memory>
#include <vector>

#include "core/ppc_record.h"

namespace larkspur::core {

class PpcList {
 public:
  // Empties the list and appends a copy of every built-in record, in table
  // order, up to the record with the empty name.
  void fillFromBuiltIn();
  void clear() { records_.clear(); }

  std::size_t size() const { return records_.size(); }
  const PpcRecord* at(std::size_t i) const { return records_[i].get(); }

 private:
  std::vector<std::unique_ptr<PpcRecord>> records_;
};

}  // namespace larkspur::core
