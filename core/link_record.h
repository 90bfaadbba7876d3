#pragma once
// One page that links to the user's website.

#include <cstdint>
#include <type_traits>

namespace larkspur::core {

struct LinkRecord {
  char url[513];
  char link_text[513];
  char description[1026];
  int32_t page_rank;     // 0..9; -1 is shown as "-"
  int32_t page_traffic;  // stored and loaded, never set
  int32_t add_time;      // seconds since 1970-01-01 UTC; 0 = not set
  char status[64];
  char note[513];        // kept in the project file after every other entry
  char contact_name[64];
  char email[64];
  char ip[35];           // dotted IPv4 address of the page's host
  int32_t hits;          // stored and loaded, never set
};

static_assert(std::is_standard_layout_v<LinkRecord>);
static_assert(std::is_trivially_copyable_v<LinkRecord>);

// A record with every field zero.
inline LinkRecord zeroLinkRecord() { return LinkRecord{}; }

}  // namespace larkspur::core
