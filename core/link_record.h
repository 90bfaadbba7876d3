#pragma once
// One page that links to the user's website.

#include <cstdint>

#include "core/bounded_text.h"
#include "core/link_details.h"

namespace larkspur::core {

// The texts hold at most their capacity less one byte, as the project file
// stores them (see BoundedText).
struct LinkRecord {
  BoundedText<513> url;
  BoundedText<513> link_text;
  BoundedText<1026> description;
  int32_t page_rank = 0;     // 0..10 (Open PageRank's 10 included); -1 is shown as "-"
  int32_t page_traffic = 0;  // stored and loaded, never set
  int32_t add_time = 0;      // seconds since 1970-01-01 UTC; 0 = not set
  BoundedText<64> status;
  BoundedText<513> note;     // kept in the project file after every other entry
  BoundedText<64> contact_name;
  BoundedText<64> email;
  BoundedText<35> ip;        // dotted IPv4 address of the page's host
  int32_t hits = 0;          // stored and loaded, never set
  LinkDetails details;       // kept in the project file after every other entry

  bool operator==(const LinkRecord&) const = default;
};

// A record with every field empty or zero.
inline LinkRecord zeroLinkRecord() { return LinkRecord{}; }

}  // namespace larkspur::core
