#include "links/backlink_table.h"

#include <algorithm>
#include <span>

#include "core/ascii_text.h"
#include "core/link_list_edit.h"
#include "core/text_check.h"
#include "core/utf8.h"
#include "core/web_address.h"
#include "core/website_profile.h"

namespace larkspur::links {

namespace {

using Names = std::span<const std::string_view>;

// Header names, lower case. A linking page is singular: Search Console's
// "Linking pages" and "Linking sites" are counts.
constexpr std::string_view kPageNames[]{"linking page",  "source url", "source page", "referring page url",
                                        "referring page", "referring url", "url from", "from url",
                                        "backlink url",   "backlink"};
constexpr std::string_view kTargetNames[]{"target url", "target page", "url to", "to url", "destination url"};
constexpr std::string_view kAnchorNames[]{"anchor", "anchor text", "link anchor", "link text"};
constexpr std::string_view kNofollowNames[]{"nofollow", "no follow", "is nofollow"};
constexpr std::string_view kFirstSeenNames[]{"first seen", "first found", "first indexed"};
constexpr std::string_view kLastSeenNames[]{"last seen", "last crawled", "last found"};

bool oneOf(std::string_view name, Names names) { return std::find(names.begin(), names.end(), name) != names.end(); }

std::string_view trimmed(std::string_view text) { return core::asciiTrimmed(text); }

std::string_view cell(const std::vector<std::string>& fields, int column) {
  if (column < 0 || static_cast<std::size_t>(column) >= fields.size()) return {};
  return trimmed(fields[static_cast<std::size_t>(column)]);
}

bool truthy(std::string_view value) {
  const std::string lower = core::asciiLower(trimmed(value));
  return lower == "true" || lower == "yes" || lower == "1";
}

// A text of the file kept in the details: each control character (line
// breaks of quoted fields too) a blank, blanks run together, at most
// kLinkDetailTextLimit bytes; empty when it is not UTF-8.
std::string detailText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t length = core::decodeUtf8At(text, i, cp);
    if (length == 0) return {};
    const bool control = cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
    if (control || cp == ' ') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else if (out.size() + length <= core::kLinkDetailTextLimit) {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  if (out.ends_with(' ')) out.pop_back();
  return out;
}

// A site of "Top linking sites" as its home page: the scheme it is written
// with (https without one) and its host.
std::string homePageOf(std::string_view site) {
  std::string_view scheme = "https://";
  if (core::isWebAddress(site)) {
    const std::size_t rest = site.find("://") + 3;
    scheme = site.substr(0, rest);
    site.remove_prefix(rest);
  }
  return std::string(scheme) + std::string(site.substr(0, site.find_first_of("/?#"))) + "/";
}

std::string normalHost(std::string_view host) {
  std::string lower = core::asciiLower(host);
  if (lower.ends_with('.')) lower.pop_back();
  if (lower.starts_with("www.")) lower.erase(0, 4);
  return lower;
}

}  // namespace

BacklinkColumns recogniseHeader(const std::vector<std::string>& header) {
  BacklinkColumns columns;
  int site = -1;
  bool siteCounts = false;      // "Linking pages" or "Target pages" beside "Site"
  bool targetCounts = false;    // "Incoming links" or "Linking sites" beside "Target page"
  auto take = [](int& column, int i) {
    if (column < 0) column = i;
  };
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::string name = core::asciiLower(trimmed(header[i]));
    const int at = static_cast<int>(i);
    if (oneOf(name, kPageNames)) take(columns.page, at);
    if (oneOf(name, kTargetNames)) take(columns.target, at);
    if (oneOf(name, kAnchorNames)) take(columns.anchor, at);
    if (oneOf(name, kNofollowNames)) take(columns.nofollow, at);
    if (name == "ugc") take(columns.ugc, at);
    if (name == "sponsored") take(columns.sponsored, at);
    if (oneOf(name, kFirstSeenNames)) take(columns.firstSeen, at);
    if (oneOf(name, kLastSeenNames)) take(columns.lastSeen, at);
    if (name == "site") take(site, at);
    siteCounts = siteCounts || name == "linking pages" || name == "target pages";
    targetCounts = targetCounts || name == "incoming links" || name == "linking sites";
  }
  if (columns.page >= 0) {
    columns.kind = BacklinkTableKind::kLinkingPages;
  } else if (site >= 0 && siteCounts) {
    columns.kind = BacklinkTableKind::kLinkingSites;
    columns.page = site;
  } else if (columns.target >= 0) {
    columns.kind = BacklinkTableKind::kOwnPages;
    columns.searchConsole = targetCounts;
  }
  return columns;
}

std::string ownPagesRefusal(const BacklinkColumns& columns) {
  if (columns.searchConsole) {
    return "This is the \"Top linked pages\" table: it lists pages of your own site. Import \"Latest links\" or "
           "\"More sample links\", which list the pages that link to you.";
  }
  return "This table lists target pages of your own site but no linking pages (a column such as \"Source URL\" "
         "or \"Linking page\"): nothing was imported.";
}

std::string leftOutText(LeftOut reason, std::size_t count) {
  const bool one = count == 1;
  std::string text = std::to_string(count) + " ";
  switch (reason) {
    case LeftOut::kOtherSite:
      return text + (one ? "links" : "link") + " to another site";
    case LeftOut::kNotWebPage:
      return text + (one ? "not an http(s) page" : "not http(s) pages");
    case LeftOut::kNotText:
      return text + "not valid UTF-8 or holding a control character";
    case LeftOut::kTooLong:
      return text + "with an address longer than " + std::to_string(core::kLinkUrlLimit) + " bytes";
    case LeftOut::kNoPage:
      return text + "without a linking page";
    case LeftOut::kCount:
      break;
  }
  return text;
}

bool sameSite(std::string_view host, std::string_view otherHost) { return normalHost(host) == normalHost(otherHost); }

std::variant<BacklinkRow, LeftOut> readBacklinkRow(const BacklinkColumns& columns,
                                                   const std::vector<std::string>& fields,
                                                   std::string_view websiteHost) {
  const std::string_view page = cell(fields, columns.page);
  if (page.empty()) return LeftOut::kNoPage;
  const std::string_view target = cell(fields, columns.target);
  if (!websiteHost.empty() && !target.empty()) {
    // Some tools write the target without its scheme.
    std::string host = core::hostOfUrl(target);
    if (host.empty()) host = core::hostOfUrl("http://" + std::string(target));
    if (!host.empty() && !sameSite(host, websiteHost)) return LeftOut::kOtherSite;
  }
  const bool site = columns.kind == BacklinkTableKind::kLinkingSites;
  BacklinkRow row;
  row.url = site ? homePageOf(page) : std::string(page);
  if (core::storedTextProblem(row.url)) return LeftOut::kNotText;
  if (row.url.size() > core::kLinkUrlLimit) return LeftOut::kTooLong;
  if (core::websiteUrlProblem(row.url)) return LeftOut::kNotWebPage;

  core::LinkDetails& details = row.details;
  details.site = site;
  details.anchor = detailText(cell(fields, columns.anchor));
  std::string rel;
  for (const auto& [column, word] : {std::pair{columns.nofollow, "nofollow"}, std::pair{columns.ugc, "ugc"},
                                     std::pair{columns.sponsored, "sponsored"}}) {
    if (!truthy(cell(fields, column))) continue;
    if (!rel.empty()) rel += ' ';
    rel += word;
  }
  details.rel = rel;
  details.firstSeen = detailText(cell(fields, columns.firstSeen));
  details.lastSeen = detailText(cell(fields, columns.lastSeen));
  return row;
}

bool blankRow(const std::vector<std::string>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return trimmed(f).empty(); });
}

bool fillEmptyDetails(core::LinkDetails& into, const core::LinkDetails& from) {
  bool changed = false;
  for (auto text : {&core::LinkDetails::anchor, &core::LinkDetails::rel, &core::LinkDetails::firstSeen,
                    &core::LinkDetails::lastSeen}) {
    if ((into.*text).empty() && !(from.*text).empty()) {
      into.*text = from.*text;
      changed = true;
    }
  }
  if (from.site && !into.site) {
    into.site = true;
    changed = true;
  }
  return changed;
}

}  // namespace larkspur::links
