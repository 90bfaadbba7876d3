#include "links/link_check.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "core/ascii_text.h"
#include "core/curl_support.h"
#include "core/fixed_text.h"
#include "core/utc_time.h"
#include "core/website_profile.h"
#include "links/robots_rules.h"
#include "web/html_parser.h"

namespace larkspur::links {

namespace {

using namespace std::chrono_literals;

std::string bounded(std::string_view text) {
  return std::string(text.substr(0, core::fittingLength(text, core::kLinkDetailTextLimit + 1)));
}

// The robots.txt of each host, fetched once per check: the first page of a
// host fetches it, the others wait for it.
class RobotsFiles {
 public:
  RobotsFiles(const LinkCheckOptions& options, const core::Event& stop) : options_(options), stop_(stop) {
    options_.fetch.deadline = std::min(options_.fetch.deadline, options.robotsDeadline);
  }

  // Whether the host's robots.txt lets every engine crawl `pageUrl`;
  // nothing when the stop signal came first.
  std::optional<bool> allows(const std::string& pageUrl) {
    const core::CurlUrl url = core::parsedCurlUrl(pageUrl);
    if (!url) return true;
    std::string where = core::curlUrlPart(url.get(), CURLUPART_PATH).value_or("/");
    if (const auto query = core::curlUrlPart(url.get(), CURLUPART_QUERY)) where += "?" + *query;
    if (curl_url_set(url.get(), CURLUPART_PATH, "/robots.txt", 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_QUERY, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0) != CURLUE_OK) {
      return true;
    }
    const std::string robotsUrl = core::curlUrlPart(url.get(), CURLUPART_URL).value_or("");
    const std::string key = core::asciiLower(robotsUrl);

    std::unique_lock lock(mutex_);
    std::shared_ptr<File>& file = files_[key];
    if (!file) {
      file = std::make_shared<File>();
      const std::shared_ptr<File> mine = file;
      lock.unlock();
      RobotsRules rules = fetch(robotsUrl);
      lock.lock();
      mine->rules = std::move(rules);
      mine->ready = true;
      arrived_.notify_all();
    }
    const std::shared_ptr<File> known = file;
    while (!known->ready) {
      if (stop_.isSet()) return std::nullopt;
      arrived_.wait_for(lock, 100ms);
    }
    if (stop_.isSet()) return std::nullopt;
    return known->rules.allows(where);
  }

 private:
  struct File {
    bool ready = false;
    RobotsRules rules;
  };

  // The rules of the file at `url`; none (everything allowed) when it is
  // not there or did not arrive.
  RobotsRules fetch(const std::string& url) {
    std::vector<char> text(kMaxRobotsBytes + 1);
    uint32_t received = 0;
    int32_t status = 0;
    char errorText[web::kFetchErrorTextCapacity] = {};
    const int32_t result = web::pageFetch(url, text.data(), static_cast<uint32_t>(text.size()), received, errorText,
                                          stop_, options_.fetch, &status);
    if (result != web::kFetchComplete || status < 200 || status > 299) return {};
    return RobotsRules::parse(std::string_view(text.data(), received));
  }

  LinkCheckOptions options_;
  const core::Event& stop_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::map<std::string, std::shared_ptr<File>> files_;
};

struct CheckContext {
  std::string_view siteUrl;
  std::string siteHost;  // as comparableHost gives it
  const core::Event& stop;
  const LinkCheckOptions& options;
  RobotsFiles& robots;
};

// Fetches and reads one page into `page` (its bytes); nothing when the stop
// signal cut the check short.
std::optional<PageCheck> checkPage(const std::string& url, const CheckContext& context, std::vector<char>& page) {
  PageCheck check;
  check.url = url;
  char errorText[web::kFetchErrorTextCapacity] = {};
  uint32_t received = 0;
  web::PageFetchAnswer answer;
  check.fetchResult = web::pageFetch(url, page.data(), static_cast<uint32_t>(page.size()), received, errorText,
                                     context.stop, context.options.fetch, &check.httpStatus, &answer);
  if (check.fetchResult != web::kFetchComplete && context.stop.isSet()) return std::nullopt;
  check.errorText = core::fieldView(errorText, sizeof errorText);
  check.checkedAt = core::utcText(context.options.clock ? context.options.clock() : std::chrono::system_clock::now());
  if (check.fetchResult != web::kFetchComplete) {
    check.httpStatus = 0;
    return check;
  }
  const std::string_view bytes(page.data(), received);
  check.holdsSiteUrl = !context.siteUrl.empty() && core::asciiContainsNoCase(bytes, context.siteUrl);
  check.finalUrl = bounded(answer.finalUrl.empty() ? url : answer.finalUrl);
  if (check.httpStatus < 200 || check.httpStatus > 299) {
    check.indexable = core::Known::kNo;
    check.notIndexableBy = "HTTP " + std::to_string(check.httpStatus);
    return check;
  }

  const web::Document document = web::parseHtml(bytes, answer.finalUrl.empty() ? url : answer.finalUrl,
                                                 answer.contentType);
  check.link = findLinkTo(document, context.siteHost, core::kLinkDetailTextLimit);
  check.indexable = core::Known::kNo;
  if (metaSaysNoindex(document)) {
    check.notIndexableBy = kNoindexByMeta;
  } else if (robotsTagSaysNoindex(answer.robotsTags)) {
    check.notIndexableBy = kNoindexByHeader;
  } else {
    // The bounded address: matching the rules takes time by its length.
    const std::optional<bool> allowed = context.robots.allows(check.finalUrl);
    if (!allowed) return std::nullopt;
    if (*allowed) {
      check.indexable = core::Known::kYes;
    } else {
      check.notIndexableBy = kNoindexByRobotsTxt;
    }
  }
  return check;
}

// The pages of one check: which start next (in list order, skipping those
// whose host is busy), and the checks that finished, handed on in list
// order.
class PageQueue {
 public:
  struct Page {
    core::LinkList::Ptr record;
    std::string url;
    std::string host;
    enum class State { kWaiting, kRunning, kDone, kCut } state = State::kWaiting;
    PageCheck check;
  };

  PageQueue(std::vector<Page> pages, int perHost, const core::Event& stop)
      : pages_(std::move(pages)), perHost_(std::max(1, perHost)), stop_(stop) {}

  // The next page to check, or nothing when none is left or the stop signal
  // is set.
  std::optional<std::size_t> take() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (stop_.isSet()) return std::nullopt;
      while (firstWaiting_ < pages_.size() && pages_[firstWaiting_].state != Page::State::kWaiting) ++firstWaiting_;
      if (firstWaiting_ == pages_.size()) return std::nullopt;
      for (std::size_t i = firstWaiting_; i < pages_.size(); ++i) {
        Page& page = pages_[i];
        if (page.state != Page::State::kWaiting || busy_[page.host] >= perHost_) continue;
        page.state = Page::State::kRunning;
        ++busy_[page.host];
        return i;
      }
      freed_.wait_for(lock, 100ms);
    }
  }

  const Page& page(std::size_t index) const { return pages_[index]; }

  // Ends a page's check (nothing: cut short) and hands on what is ready.
  template <typename Hand>
  void finish(std::size_t index, std::optional<PageCheck> check, Hand&& hand) {
    std::lock_guard lock(mutex_);
    Page& page = pages_[index];
    if (--busy_[page.host] <= 0) busy_.erase(page.host);
    page.state = check ? Page::State::kDone : Page::State::kCut;
    if (check) page.check = std::move(*check);
    while (handed_ < pages_.size() && pages_[handed_].state == Page::State::kDone) {
      hand(pages_[handed_]);
      pages_[handed_].check = PageCheck{};
      ++handed_;
    }
    freed_.notify_all();
  }

  std::size_t handed() const { return handed_; }

 private:
  std::vector<Page> pages_;
  const int perHost_;
  const core::Event& stop_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::map<std::string, int> busy_;
  std::size_t firstWaiting_ = 0;
  std::size_t handed_ = 0;
};

}  // namespace

void recordCheck(core::LinkDetails& details, const PageCheck& check) {
  details.lastChecked = check.checkedAt;
  details.httpStatus = check.httpStatus;
  details.finalUrl = check.finalUrl;
  if (!check.answered()) return;
  const core::Known before = details.linkFound;
  details.linkFound = check.link.found ? core::Known::kYes : core::Known::kNo;
  details.indexable = check.indexable;
  details.notIndexableBy = check.notIndexableBy;
  if (check.link.found) {
    const std::string day = check.checkedAt.substr(0, 10);
    details.anchor = check.link.anchor;
    details.rel = check.link.rel;
    if (details.firstSeen.empty()) details.firstSeen = day;
    details.lastSeen = day;
    details.lostSince.clear();
  } else if (before == core::Known::kYes) {
    details.lostSince = check.checkedAt;
  }
}

LinkCheckEnd checkLinkingPages(core::LinkList& links, std::string_view siteUrl, const core::Event& stop,
                               const LinkCheckOptions& options,
                               const std::function<void(const core::LinkList::Ptr&, const PageCheck&)>& checked) {
  std::vector<PageQueue::Page> pages;
  for (const core::LinkList::Ptr& record : links.snapshot()) {
    PageQueue::Page page;
    page.record = record;
    page.url = links.withLock([&] { return record->url.str(); });
    page.host = core::asciiLower(core::hostOfUrl(page.url));
    pages.push_back(std::move(page));
  }
  const std::size_t total = pages.size();
  PageQueue queue(std::move(pages), options.jobsPerHost, stop);
  RobotsFiles robots(options, stop);
  const CheckContext context{siteUrl, comparableHost(core::hostOfUrl(siteUrl)), stop, options, robots};

  LinkCheckEnd end;
  auto work = [&] {
    std::vector<char> page(std::max<uint32_t>(options.pageCapacity, 1));
    while (const std::optional<std::size_t> index = queue.take()) {
      std::optional<PageCheck> check = checkPage(queue.page(*index).url, context, page);
      queue.finish(*index, std::move(check), [&](const PageQueue::Page& done) {
        links.withLock([&] { recordCheck(done.record->details, done.check); });
        ++end.checked;
        if (checked) checked(done.record, done.check);
      });
    }
  };
  const std::size_t workers = std::min<std::size_t>(std::clamp(options.jobs, 1, kLinkCheckJobs), total);
  {
    std::vector<std::jthread> threads;
    try {
      for (std::size_t i = 0; i < workers; ++i) threads.emplace_back(work);
    } catch (const std::system_error&) {
      // Fewer workers than asked for check the pages all the same.
    }
    if (threads.empty()) work();
  }
  end.stopped = stop.isSet();
  return end;
}

}  // namespace larkspur::links
