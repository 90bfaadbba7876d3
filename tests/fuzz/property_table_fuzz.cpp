// Feeds arbitrary bytes to the Property table parser. Whatever parses must
// serialise, and the serialised form must be a fixed point: parsing and
// serialising it again gives the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/property_table.h"

using larkspur::core::kPropTable;
using larkspur::core::PropertyTable;

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "property_table_fuzz: %s\n", what);
  std::abort();
}

// Runs the lookups over everything that was parsed, with a small and a large
// destination, so that the copy paths see every stored shape.
void exerciseLookups(const PropertyTable& table) {
  char small[3];
  char large[64];
  for (const auto& entry : table.entries()) {
    table.getValue(entry.name, small, sizeof small);
    table.getValue(entry.name, large, sizeof large);
    if (entry.type != kPropTable || !entry.table) continue;
    const auto& grid = *entry.table;
    for (int32_t r = 0; r < grid.rows() && r < 4; ++r) {
      for (int32_t c = 0; c < grid.columns() && c < 4; ++c) {
        const auto* cell = grid.cell(r, c);
        if (!cell) fail("cell inside the grid missing");
        table.getCell(entry.name, cell->name, r, small, sizeof small);
        table.getCell(entry.name, cell->name, r, large, sizeof large);
      }
    }
    int32_t value = 0;
    table.getCell(entry.name, "", grid.rows(), value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  auto table = PropertyTable::parse(data, size);
  if (!table) return 0;
  exerciseLookups(*table);

  auto first = table->serialise();
  if (!first) fail("a parsed table does not serialise");
  if (first->size() < 12) fail("serialised table shorter than its header");

  auto again = PropertyTable::parse(first->data(), first->size());
  if (!again) fail("a serialised table does not parse");
  auto second = again->serialise();
  if (!second) fail("a re-parsed table does not serialise");
  if (*second != *first) fail("serialise(parse(serialise(x))) differs from serialise(x)");
  return 0;
}
