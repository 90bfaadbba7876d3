#pragma once
// What Larkspur knows of a linking page beyond the link list's columns: what
// the backlink file it came from said (anchor, nofollow, first and last
// seen, whether it stands for a whole site) and what the last check of the
// page found (status, final address, whether the link is there, its anchor
// and rel values, whether the page can be indexed, when it was checked and
// since when the link is lost).
//
// Kept in the project file in a table of its own after every other entry,
// one row per link with something to keep, naming the link by its row in
// the link table; a file without it loads as before.

#include <cstdint>
#include <string>

namespace larkspur::core {

// Fields of a link the user typed or edited (LinkDetails::userSet): the
// look-ups fill empty fields and those they filled themselves, never these.
inline constexpr uint32_t kUserSetTitle = 1u << 0;
inline constexpr uint32_t kUserSetContact = 1u << 1;
inline constexpr uint32_t kUserSetEmail = 1u << 2;

// A yes/no that may not be known yet.
enum class Known : int32_t { kUnknown = -1, kNo = 0, kYes = 1 };

struct LinkDetails {
  // From the import (and, for the anchor and rel, from the last check).
  std::string anchor;     // the link's text, or an image's alt text
  std::string rel;        // of nofollow, ugc, sponsored: those the link has, space-separated
  std::string firstSeen;  // "YYYY-MM-DD" (or as the file wrote it)
  std::string lastSeen;
  bool site = false;      // a linking site, imported as its home page

  // From the last check.
  int32_t httpStatus = 0;         // 0: not checked, or no answer
  std::string finalUrl;           // after redirects
  Known linkFound = Known::kUnknown;
  Known indexable = Known::kUnknown;
  std::string notIndexableBy;     // "robots meta", "X-Robots-Tag", "robots.txt" or "HTTP <status>"
  std::string lastChecked;        // ISO 8601 UTC
  std::string lostSince;          // ISO 8601 UTC: the check that first missed the link

  uint32_t userSet = 0;  // kUserSet... bits

  bool empty() const { return *this == LinkDetails{}; }
  bool operator==(const LinkDetails&) const = default;
};

// Each text is kept to this many bytes.
inline constexpr std::size_t kLinkDetailTextLimit = 512;

}  // namespace larkspur::core
