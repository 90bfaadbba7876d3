#pragma once
// The links report: checks whether each page of the Link list still links to
// the website (links/link_check.h, which also records what each link is
// worth into its details) and writes the outcome as an HTML page: the table
// of every page checked, then the links lost and the links that do not
// count, when there are any. Every line feed of the file is stored as CR LF,
// and every text in it is escaped for HTML (link texts and URLs come from
// other people's pages).

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/coordination.h"
#include "core/link_list.h"
#include "links/link_check.h"
#include "web/page_fetch.h"

namespace larkspur::reports {

inline constexpr char kLinkStateOk[] = "OK";
inline constexpr char kLinkStateRemoved[] = "Link URL Removed!";
inline constexpr char kLinkStateConnectError[] = "Connect the Url error!";
inline constexpr uint32_t kLinksReportPageCapacity = links::kLinkCheckPageCapacity;

// The end message of the links report, once its worker has ended: the second
// when the stop signal was set.
inline constexpr char kCheckComplete[] = "Check complete!";
inline constexpr char kCheckCanceled[] = "Check canceled!";
inline std::string_view checkEndText(bool stopped) { return stopped ? kCheckCanceled : kCheckComplete; }

struct LinksReportRow {
  std::string url;
  std::string state;
  std::string title;
  std::string pageRank;  // "%d"
};

// A link found missing where an earlier check found it.
struct LostLink {
  std::string url;
  std::string lostSince;  // ISO 8601 UTC
};

// A link that engines do not count, and why: its rel values (nofollow, ugc,
// sponsored) or the page not indexable ("not indexable: robots.txt").
struct UncountedLink {
  std::string url;
  std::string why;
};

// The report's sections after its table.
struct LinksReportSections {
  std::vector<LostLink> lost;
  std::vector<UncountedLink> notCounting;
};

// Where a checked link belongs in the sections, by its details after the
// check.
void addToSections(LinksReportSections& sections, const std::string& url, const core::LinkDetails& details);

// "%s-%s.html" with the URL's host name (empty when it has none) and the
// date as "%Y-%m-%d".
std::string proposedLinksReportName(std::string_view websiteUrl, const std::tm& today);

// A link's state from its fetch: the transport's error text (or "Connect the
// Url error!" when it gave none) when the fetch failed, else "OK" or
// "Link URL Removed!" by whether the page holds the website URL (letters A to
// Z compared without regard to case, every other byte exactly; an empty URL
// is never held).
std::string linkState(int32_t fetchResult, std::string_view errorText, std::string_view page,
                      std::string_view websiteUrl);

// The report's bytes, CR LF line ends included. `now` gives the date after
// the website URL in the title.
std::string linksReportText(std::string_view websiteUrl, std::span<const LinksReportRow> rows, const std::tm& now);
// With the sections after the table: "Lost links" (page, lost since) and
// "Links that do not count" (page, why), each only when it has a link.
std::string linksReportText(std::string_view websiteUrl, std::span<const LinksReportRow> rows,
                            const LinksReportSections& sections, const std::tm& now);

struct LinksReportOptions {
  web::PageFetchOptions fetch;
  uint32_t pageCapacity = kLinksReportPageCapacity;
  int jobs = links::kLinkCheckJobs;  // pages checked at once
  // Called on a worker's thread after each link has been checked, in list
  // order, with the number checked so far.
  std::function<void(std::size_t)> onChecked;
  // Called likewise with the link whose details were just recorded.
  std::function<void(const core::LinkRecord*)> onRecorded;
  // The time the report is dated with; the current time when empty.
  std::function<std::time_t()> clock;
};

struct LinksReportResult {
  std::vector<LinksReportRow> rows;
  LinksReportSections sections;
  bool stopped = false;  // the stop signal ended the walk
  bool written = false;  // false when the file could not be created
  std::string error;     // then why: "Create file error! (...)"
};

// The worker's walk on the calling thread (run it in a CountedThread, which
// counts it in the worker count; its own workers are not counted): checks
// the pages of the Link list as links::checkLinkingPages does, recording
// each link's details, ends once the stop signal is set (checks under way
// are cut short and their links left out, with every link after them), then
// writes the report with the rows made so far.
LinksReportResult runLinksReport(core::LinkList& links, const std::string& websiteUrl,
                                 const std::filesystem::path& path, core::Coordination& coordination,
                                 const LinksReportOptions& options = {});

}  // namespace larkspur::reports
