#pragma once
// The check of the linking pages: every page of the Link list fetched and
// read for what its link to the website is worth (status, final address,
// the link with its text and rel values, whether the page can be indexed),
// up to eight pages at once and at most two per host, each host's
// robots.txt read once per check; and what each page showed put into its
// link's details, in list order.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/event.h"
#include "core/link_details.h"
#include "core/link_list.h"
#include "links/link_worth.h"
#include "web/page_fetch.h"

namespace larkspur::links {

inline constexpr int kLinkCheckJobs = 8;
inline constexpr int kLinkCheckJobsPerHost = 2;
inline constexpr uint32_t kLinkCheckPageCapacity = 262144;
// A robots.txt that has not arrived by then counts as none.
inline constexpr std::chrono::milliseconds kRobotsDeadline{20'000};

// Why a page cannot be indexed.
inline constexpr char kNoindexByMeta[] = "robots meta";
inline constexpr char kNoindexByHeader[] = "X-Robots-Tag";
inline constexpr char kNoindexByRobotsTxt[] = "robots.txt";

struct LinkCheckOptions {
  web::PageFetchOptions fetch;  // for the pages and their robots.txt
  uint32_t pageCapacity = kLinkCheckPageCapacity;  // a page's bytes read, less one
  int jobs = kLinkCheckJobs;                        // pages at once, 1 to 8
  int jobsPerHost = kLinkCheckJobsPerHost;
  std::chrono::milliseconds robotsDeadline = kRobotsDeadline;
  // When a page is checked; the current time when empty.
  std::function<std::chrono::system_clock::time_point()> clock;
};

// What the check of one page found.
struct PageCheck {
  std::string url;                                 // as the list held it
  int32_t fetchResult = web::kFetchConnectFailed;  // web::pageFetch's result
  std::string errorText;                           // and its error text
  bool holdsSiteUrl = false;  // the page's bytes hold the website URL (A to Z in any case)
  int32_t httpStatus = 0;     // 0: no answer
  std::string finalUrl;       // after redirects
  LinkOnPage link;            // on a page answered 2xx
  core::Known indexable = core::Known::kUnknown;
  std::string notIndexableBy;  // kNoindexBy... or "HTTP <status>" for an answer not 2xx
  std::string checkedAt;       // ISO 8601 UTC

  bool answered() const { return fetchResult == web::kFetchComplete && httpStatus != 0; }
};

// Puts a page's check into its link's details. Status, final address and
// the time are the check's; a page that did not answer leaves the rest as
// the last answer left it. The link found: its text and rel values, first
// seen (its date, when not known yet), last seen, and no longer lost. The
// link missing where the last check found it: lost since now, and so it
// stays until it is found again.
void recordCheck(core::LinkDetails& details, const PageCheck& check);

struct LinkCheckEnd {
  std::size_t checked = 0;  // pages recorded
  bool stopped = false;     // the stop signal ended the check
};

// Checks the pages of the Link list as it holds them when the check starts
// (links added meanwhile wait for the next check). Each check is recorded
// into its link's details under the list's lock, and then handed to
// `checked`, in list order, one at a time, on whichever worker finished it.
// Once `stop` is set no page starts and the pages under way are cut short
// (within a second); the first page not finished, and every page after it,
// is left out. Runs on the calling thread, which waits for its workers;
// they are not counted in any worker count.
LinkCheckEnd checkLinkingPages(core::LinkList& links, std::string_view siteUrl, const core::Event& stop,
                               const LinkCheckOptions& options,
                               const std::function<void(const core::LinkList::Ptr&, const PageCheck&)>& checked);

}  // namespace larkspur::links
