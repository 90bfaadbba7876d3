#pragma once
// The link search: Google and Yahoo Site Explorer are asked, at the same time
// and each on a worker thread of its own, for the pages that link to the
// website's host. Each engine fetches result pages 100 results apart, takes
// the anchors of every page, throws away the engines' own links and links
// already in the Link list, looks up each new link's PageRank and appends it,
// posting a link-found message. An engine requests at least six pages and
// goes on while every page from the sixth on brings a new link; it stops
// early when the stop signal is seen (polled every second) or when its time
// limit passes.
//
// With a Bing Webmaster Tools key in the options the search asks that
// service instead (links/bing_webmaster.h), on one worker of its own: the
// engines are not asked and no rank is looked up. Why it ended early, or
// that it left links out, is posted as a job notice.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/coordination.h"
#include "core/link_list.h"
#include "core/messages.h"
#include "links/anchor_acceptance.h"
#include "links/bing_webmaster.h"
#include "core/counted_thread.h"
#include "web/page_fetch.h"

namespace larkspur::links {

inline constexpr std::chrono::milliseconds kSearchTimeLimit{999'000};
inline constexpr std::chrono::milliseconds kSearchStopPoll{1'000};
// Pages requested after the first one before a page without new links ends
// an engine.
inline constexpr int32_t kSearchMinimumFollowUps = 5;
// Result pages are read up to this size.
inline constexpr uint32_t kSearchPageCapacity = 4u * 1024 * 1024;

struct LinkSearchOptions {
  std::chrono::milliseconds timeLimit = kSearchTimeLimit;
  std::chrono::milliseconds stopPoll = kSearchStopPoll;
  web::PageFetchOptions pageFetch;  // result pages
  web::PageFetchOptions rankFetch;  // PageRank queries
  uint32_t pageCapacity = kSearchPageCapacity;
  std::vector<int32_t> engines = {0, 2};
  BingBacklinkOptions bing;  // with a key: Bing Webmaster Tools in place of the engines
};

// The `engine` of the outcome of a search of Bing Webmaster Tools.
inline constexpr int32_t kBingWebmasterSource = -1;
inline constexpr char kBingLimitNotice[] =
    "Bing Webmaster Tools lists more than one search reads: the rest was left out.";

// Turns one page's collected anchors into links, holding the link-search lock
// throughout: the engine's test, the duplicate test against the whole Link
// list (exact URL, as the record holds it), the PageRank query, then the
// append and the link-found message. Once the stop signal is seen after a
// PageRank query, that anchor counts as accepted but is not added, and the
// rest of the page is dropped. Returns the number accepted.
std::size_t processAnchors(int32_t engine, std::vector<CollectedAnchor>& anchors, core::LinkList& links,
                           core::Coordination& coordination, const core::Post& post,
                           const web::PageFetchOptions& rankFetch = {});

// What one engine did.
struct EngineOutcome {
  int32_t engine = 0;
  int32_t pagesFetched = 0;
  std::size_t accepted = 0;  // anchors accepted over all pages
  bool closedByStop = false;
  bool closedByTimeLimit = false;
  std::string failure;  // why a service ended the search early; empty when none did
};

// One engine's whole run on the calling thread (not counted: see LinkSearch).
EngineOutcome runBackLinkEngine(int32_t engine, const std::string& host, core::LinkList& links,
                                core::Coordination& coordination, const core::Post& post,
                                const LinkSearchOptions& options = {});

// The search of Bing Webmaster Tools on the calling thread: accepted counts
// the links added, pagesFetched the requests.
EngineOutcome runBingWebmasterSource(const std::string& websiteUrl, core::LinkList& links,
                                     core::Coordination& coordination, const core::Post& post,
                                     const LinkSearchOptions& options);

// A running search. Starting clears the stop signal and starts one counted
// worker thread per engine; the search has ended when every one has ended.
class LinkSearch {
 public:
  LinkSearch(core::LinkList& links, core::Coordination& coordination, core::Post post,
             LinkSearchOptions options = {});
  // Waits for the engines.
  ~LinkSearch();
  LinkSearch(const LinkSearch&) = delete;
  LinkSearch& operator=(const LinkSearch&) = delete;

  // Called once a started search has ended, on the thread of the engine
  // that ended last (on the caller's when no engine started). Set before
  // start().
  void setFinishedHandler(std::function<void()> handler);
  // Starts the engines on the host of `websiteUrl`. Returns false and starts
  // nothing when the URL has no host name or the search already runs.
  bool start(const std::string& websiteUrl);
  // Whether every started engine has ended.
  bool finished() const;
  // Waits for every engine, then returns what each did.
  std::vector<EngineOutcome> wait();

 private:
  struct Shared;
  core::LinkList& links_;
  core::Coordination& coordination_;
  core::Post post_;
  LinkSearchOptions options_;
  std::shared_ptr<Shared> shared_;
  std::vector<std::unique_ptr<core::CountedThread>> threads_;
};

}  // namespace larkspur::links
