#include "links/link_search.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "core/web_address.h"
#include "core/event.h"
#include "core/fixed_text.h"
#include "core/link_record.h"
#include "core/website_profile.h"
#include "links/back_link_engines.h"
#include "links/pagerank.h"
#include "web/html_parser.h"

namespace larkspur::links {

namespace {

using Clock = std::chrono::steady_clock;

// Closes an engine the way its two timers do: at the time limit, or at the
// first stop poll that sees the stop signal. Closing sets the engine's own
// close event, which cuts a running fetch short and ends the page loop.
class EngineCloser {
 public:
  EngineCloser(core::Event& close, const core::Event& stop, const LinkSearchOptions& options)
      : close_(close),
        thread_([this, &stop, limit = options.timeLimit, poll = std::max(options.stopPoll, std::chrono::milliseconds(1))] {
          watch(stop, limit, poll);
        }) {}
  ~EngineCloser() {
    finished_.set();
    thread_.join();
  }

  bool byStop() const { return byStop_.load(); }
  bool byTimeLimit() const { return byTimeLimit_.load(); }

 private:
  void watch(const core::Event& stop, std::chrono::milliseconds limit, std::chrono::milliseconds poll) {
    const Clock::time_point deadline = Clock::now() + limit;
    const Clock::time_point start = Clock::now();
    Clock::time_point nextPoll = start + poll;
    while (true) {
      const Clock::time_point now = Clock::now();
      const Clock::time_point wake = std::min(deadline, nextPoll);
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now);
      if (finished_.waitFor(std::max(wait, std::chrono::milliseconds(0)))) return;
      const Clock::time_point woke = Clock::now();
      if (woke >= deadline) {
        byTimeLimit_ = true;
        close_.set();
        return;
      }
      if (woke >= nextPoll) {
        nextPoll += poll;
        if (stop.isSet()) {
          byStop_ = true;
          close_.set();
          return;
        }
      }
    }
  }

  core::Event& close_;
  core::Event finished_;
  std::atomic<bool> byStop_{false};
  std::atomic<bool> byTimeLimit_{false};
  std::thread thread_;
};

}  // namespace

std::size_t processAnchors(int32_t engine, std::vector<CollectedAnchor>& anchors, core::LinkList& links,
                           core::Coordination& coordination, const core::Post& post,
                           const web::PageFetchOptions& rankFetch) {
  std::lock_guard<std::mutex> searchLock(coordination.linkSearchLock);
  std::size_t accepted = 0;
  for (CollectedAnchor& anchor : anchors) {
    if (!passesEngineTest(engine, anchor)) continue;
    // Only pages on the web are links; a javascript: or data: address from a
    // result page would become something a click in a report runs.
    if (!core::isWebAddress(anchor.url)) continue;
    core::LinkRecord record = core::zeroLinkRecord();
    record.url = anchor.url;
    record.link_text = anchor.text;
    const std::string url(record.url.view());
    if (links.containsUrl(url)) continue;

    // A query that never reached the service leaves the new record's rank as
    // it is, rather than taking the query's 0 for an answer.
    int32_t rank = 0;
    if (queryPageRank(url, rank, nullptr, rankFetch, &coordination.stop) == 0) record.page_rank = rank;
    if (coordination.stop.isSet()) {
      ++accepted;
      break;
    }
    // Someone may have added the same URL by hand meanwhile: the check and
    // the append are one step of the list.
    core::LinkRecord* added = links.appendIfNewUrl(record);
    if (!added) continue;
    if (post) post(core::Message{core::MessageId::kLinkFound, added, 0, url});
    ++accepted;
  }
  anchors.clear();
  return accepted;
}

EngineOutcome runBackLinkEngine(int32_t engine, const std::string& host, core::LinkList& links,
                                core::Coordination& coordination, const core::Post& post,
                                const LinkSearchOptions& options) {
  EngineOutcome outcome;
  outcome.engine = engine;
  core::Event close;
  EngineCloser closer(close, coordination.stop, options);

  std::vector<char> page(options.pageCapacity == 0 ? 1 : options.pageCapacity);
  const int32_t step = backLinkOffsetStep(engine);
  int32_t offset = 0;
  int32_t followUps = 0;
  std::string url = backLinkQueryUrl(engine, host, offset);
  offset += step;

  while (!close.isSet()) {
    char errorText[web::kFetchErrorTextCapacity] = {};
    uint32_t received = 0;
    const int32_t fetched =
        web::pageFetch(url, page.data(), static_cast<uint32_t>(page.size()), received, errorText, close,
                          options.pageFetch);
    if (close.isSet()) break;
    ++outcome.pagesFetched;

    // A page that could not be fetched is a page without anchors.
    std::vector<CollectedAnchor> anchors;
    if (fetched == web::kFetchComplete) {
      anchors = collectAnchors(web::parseHtml(std::string_view(page.data(), received), url));
    }
    const std::size_t accepted = processAnchors(engine, anchors, links, coordination, post, options.rankFetch);
    outcome.accepted += accepted;

    if (accepted == 0 && followUps >= kSearchMinimumFollowUps) break;
    url = backLinkQueryUrl(engine, host, offset);
    offset += step;
    ++followUps;
  }
  outcome.closedByStop = closer.byStop();
  outcome.closedByTimeLimit = closer.byTimeLimit();
  return outcome;
}

EngineOutcome runBingWebmasterSource(const std::string& websiteUrl, core::LinkList& links,
                                     core::Coordination& coordination, const core::Post& post,
                                     const LinkSearchOptions& options) {
  const BingBacklinkResult result = searchBingBacklinks(websiteUrl, links, post, options.bing, &coordination.stop);
  EngineOutcome outcome;
  outcome.engine = kBingWebmasterSource;
  outcome.pagesFetched = result.requests;
  outcome.accepted = result.added;
  outcome.closedByStop = result.stopped;
  outcome.failure = result.failure;
  auto notice = [&](const std::string& text) {
    if (post) post(core::Message{core::MessageId::kJobNotice, nullptr, 0, text});
  };
  if (!result.failure.empty()) notice(result.failure);
  if (result.limitReached) notice(kBingLimitNotice);
  return outcome;
}

struct LinkSearch::Shared {
  std::mutex mutex;
  std::vector<EngineOutcome> outcomes;
  std::atomic<int> running{0};
  std::function<void()> finished;

  // One engine, or the start itself, is done; the last one says so.
  void release() {
    if (running.fetch_sub(1) == 1 && finished) finished();
  }
};

LinkSearch::LinkSearch(core::LinkList& links, core::Coordination& coordination, core::Post post,
                       LinkSearchOptions options)
    : links_(links),
      coordination_(coordination),
      post_(std::move(post)),
      options_(std::move(options)),
      shared_(std::make_shared<Shared>()) {}

LinkSearch::~LinkSearch() { wait(); }

void LinkSearch::setFinishedHandler(std::function<void()> handler) { shared_->finished = std::move(handler); }

bool LinkSearch::start(const std::string& websiteUrl) {
  if (!threads_.empty() && !finished()) return false;
  const std::string host = core::hostOfUrl(websiteUrl);
  if (host.empty()) return false;
  wait();
  threads_.clear();
  shared_->outcomes.clear();

  coordination_.stop.reset();
  // The start holds a count of its own: the search is not over before every
  // engine has been started.
  shared_->running.fetch_add(1);
  const bool bing = !options_.bing.key.empty();
  const std::vector<int32_t> sources = bing ? std::vector<int32_t>{kBingWebmasterSource} : options_.engines;
  for (int32_t engine : sources) {
    if (!bing && !backLinkEngineEnabled(engine)) continue;
    shared_->running.fetch_add(1);
    auto shared = shared_;
    auto work = [this, shared, engine, host, websiteUrl] {
      EngineOutcome outcome = engine == kBingWebmasterSource
                                  ? runBingWebmasterSource(websiteUrl, links_, coordination_, post_, options_)
                                  : runBackLinkEngine(engine, host, links_, coordination_, post_, options_);
      {
        std::lock_guard<std::mutex> guard(shared->mutex);
        shared->outcomes.push_back(outcome);
      }
      shared->release();
    };
    auto thread = std::make_unique<core::CountedThread>(coordination_.workers, std::move(work));
    if (!thread->started()) shared_->release();
    threads_.push_back(std::move(thread));
  }
  shared_->release();
  return true;
}

bool LinkSearch::finished() const { return shared_->running.load() == 0; }

std::vector<EngineOutcome> LinkSearch::wait() {
  for (auto& thread : threads_) thread->join();
  std::lock_guard<std::mutex> guard(shared_->mutex);
  return shared_->outcomes;
}

}  // namespace larkspur::links
