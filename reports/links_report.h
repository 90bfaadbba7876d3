#pragma once
// The links report: checks whether each page of the Link list still links to
// the website and writes the outcome as an HTML page. Every line feed of the
// file is stored as CR LF, and every text in it is escaped for HTML (link
// texts and URLs come from other people's pages).

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
#include "web/page_fetch.h"

namespace larkspur::reports {

inline constexpr char kLinkStateOk[] = "OK";
inline constexpr char kLinkStateRemoved[] = "Link URL Removed!";
inline constexpr char kLinkStateConnectError[] = "Connect the Url error!";
inline constexpr uint32_t kLinksReportPageCapacity = 262144;

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

struct LinksReportOptions {
  web::PageFetchOptions fetch;
  uint32_t pageCapacity = kLinksReportPageCapacity;
  // Called on the worker's thread after each link has been checked, with the
  // number checked so far.
  std::function<void(std::size_t)> onChecked;
  // The time the report is dated with; the current time when empty.
  std::function<std::time_t()> clock;
};

struct LinksReportResult {
  std::vector<LinksReportRow> rows;
  bool stopped = false;  // the stop signal ended the walk
  bool written = false;  // false when the file could not be created
  std::string error;     // then why: "Create file error! (...)"
};

// The worker's walk on the calling thread (run it in a CountedThread, which
// counts it in the worker count): walks the Link list (its
// length read again after every link), fetches each page, ends the walk once
// the stop signal is set (a fetch under way is cut short and its link left
// out), then writes the report with the rows made so far. Runs on the
// calling thread.
LinksReportResult runLinksReport(const core::LinkList& links, const std::string& websiteUrl,
                                 const std::filesystem::path& path, core::Coordination& coordination,
                                 const LinksReportOptions& options = {});

}  // namespace larkspur::reports
