#pragma once
// One pay-per-click advertising service: the 392-byte record of the built-in
// PPC table and of the PPC list.

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace larkspur::core {

struct PpcRecord {
  char name[64];
  char country[64];
  char url[260];  // the service's advertiser page
  int32_t rank;
};

static_assert(std::is_standard_layout_v<PpcRecord>);
static_assert(std::is_trivially_copyable_v<PpcRecord>);
static_assert(sizeof(PpcRecord) == 392);
static_assert(offsetof(PpcRecord, name) == 0);
static_assert(offsetof(PpcRecord, country) == 64);
static_assert(offsetof(PpcRecord, url) == 128);
static_assert(offsetof(PpcRecord, rank) == 388);

// The built-in PPC table: 29 services followed by one record with an empty name.
std::span<const PpcRecord> builtinPpcRecords();

}  // namespace larkspur::core
