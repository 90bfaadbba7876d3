#pragma once
// What a table of backlinks says, told by its header line rather than by
// the order of its columns: Search Console's Links tables ("Latest links"
// and "More sample links": linking pages; "Top linking sites": sites; "Top
// linked pages": the website's own pages) and the exports of backlink tools
// (a source page, the target it links to, the anchor, nofollow, first and
// last seen). Header names are matched without regard to case or the blanks
// around them.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/link_details.h"

namespace larkspur::links {

enum class BacklinkTableKind {
  kUnknown,       // no known header: the file is read as plain text
  kLinkingPages,  // one linking page a row
  kLinkingSites,  // one linking site a row, imported as its home page
  kOwnPages,      // pages of the website itself: nothing to import
};

// The columns of a table, -1 for those it lacks.
struct BacklinkColumns {
  BacklinkTableKind kind = BacklinkTableKind::kUnknown;
  int page = -1;  // the linking page, or the linking site
  int target = -1;
  int anchor = -1;
  int nofollow = -1;
  int ugc = -1;
  int sponsored = -1;
  int firstSeen = -1;
  int lastSeen = -1;
  bool searchConsole = false;  // kOwnPages: Search Console's "Top linked pages"
};

BacklinkColumns recogniseHeader(const std::vector<std::string>& header);

// Why a table of the website's own pages is not imported, and what to
// import instead.
std::string ownPagesRefusal(const BacklinkColumns& columns);

// Why a row is left out. kCount is the number of reasons.
enum class LeftOut { kOtherSite, kNotWebPage, kNotText, kTooLong, kNoPage, kCount };
inline constexpr std::size_t kLeftOutReasons = static_cast<std::size_t>(LeftOut::kCount);
using LeftOutCounts = std::array<std::size_t, kLeftOutReasons>;

// "5 link to another site", "1 is not an http(s) page", ...
std::string leftOutText(LeftOut reason, std::size_t count);

struct BacklinkRow {
  std::string url;  // trimmed; an http or https address of at most 512 bytes
  core::LinkDetails details;
};

// Host names compared without regard to case, a leading "www." or a final dot.
bool sameSite(std::string_view host, std::string_view otherHost);

// The link a row gives, or why it is left out. `websiteHost`: rows whose
// target is on another host are left out; empty takes every target.
std::variant<BacklinkRow, LeftOut> readBacklinkRow(const BacklinkColumns& columns,
                                                   const std::vector<std::string>& fields,
                                                   std::string_view websiteHost);

// Whether every field is blank (such rows are passed over, not counted).
bool blankRow(const std::vector<std::string>& fields);

// Fills the empty texts of `into` (and `site`) from `from`; true when
// something changed.
bool fillEmptyDetails(core::LinkDetails& into, const core::LinkDetails& from);

}  // namespace larkspur::links
