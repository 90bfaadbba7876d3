#include "links/link_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/message_queue.h"
#include "core/service_hosts.h"
#include "links/back_link_engines.h"
#include "links/job_texts.h"
#include "tests/support/local_server.h"
#include "tests/support/silent_port.h"

namespace larkspur::links {
namespace {

using core::fieldView;

constexpr char kSite[] = "http://www.mysite.example/";

// Google, Yahoo and the toolbar service on one local server, as the service
// base puts them. Result pages are given per engine and offset; a missing
// page is an empty result page.
class FakeSearchService {
 public:
  FakeSearchService() {
    server_.get("/search", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("client")) {
        answerToolbar(req, res);
        return;
      }
      record(kEngineGoogle, req);
      res.set_content(page(kEngineGoogle, std::stoi(req.get_param_value("start"))), "text/html");
    });
    server_.get("/advsearch", [this](const httplib::Request& req, httplib::Response& res) {
      record(kEngineYahoo, req);
      res.set_content(page(kEngineYahoo, std::stoi(req.get_param_value("b"))), "text/html");
    });
  }

  bool start() { return server_.start() && core::setServiceBase(server_.baseUrl()); }

  // Before start(): the anchors of a result page.
  void setPage(int32_t engine, int offset, const std::string& anchors) { pages_[{engine, offset}] = anchors; }
  // Before start(): a page for every offset, made by a function.
  void setPageMaker(int32_t engine, std::function<std::string(int)> maker) { makers_[engine] = std::move(maker); }
  // Before start(): runs on every toolbar query with the query's number.
  void onToolbarQuery(std::function<void(int)> hook) { toolbarHook_ = std::move(hook); }

  std::vector<std::string> targets(int32_t engine) {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_[engine];
  }
  std::vector<int> offsets(int32_t engine) {
    std::lock_guard<std::mutex> lock(mutex_);
    return offsets_[engine];
  }

 private:
  void record(int32_t engine, const httplib::Request& req) {
    std::lock_guard<std::mutex> lock(mutex_);
    targets_[engine].push_back(req.target);
    offsets_[engine].push_back(std::stoi(req.get_param_value(engine == kEngineGoogle ? "start" : "b")));
  }

  std::string page(int32_t engine, int offset) {
    std::string anchors;
    auto found = pages_.find({engine, offset});
    if (found != pages_.end()) anchors = found->second;
    else if (makers_.count(engine)) anchors = makers_[engine](offset);
    // Every result page carries the engine's own links.
    const std::string own = engine == kEngineGoogle
                                ? "<a href='http://www.google.com/advanced_search'>Advanced</a>"
                                  "<a href='http://images.google.de/'>Images</a>"
                                : "<a href='http://search.yahoo.com/'>Yahoo! Search</a>"
                                  "<a href='http://rds.yahoo.com/_ylt=C/**http%3A//help.yahoo.com/'>Help</a>";
    return "<html><head><title>results</title></head><body>" + own + anchors + "</body></html>";
  }

  void answerToolbar(const httplib::Request& req, httplib::Response& res) {
    const int number = ++toolbarQueries_;
    if (toolbarHook_) toolbarHook_(number);
    const std::string address = req.get_param_value("q");
    res.set_content(address == "info:http://linker-one.example/" ? "Rank_1:1:3" : "Rank_1:1:7", "text/plain");
  }

  test::LocalServer server_;
  std::map<std::pair<int32_t, int>, std::string> pages_;
  std::map<int32_t, std::function<std::string(int)>> makers_;
  std::function<void(int)> toolbarHook_;
  std::atomic<int> toolbarQueries_{0};
  std::mutex mutex_;
  std::map<int32_t, std::vector<std::string>> targets_;
  std::map<int32_t, std::vector<int>> offsets_;
};

class LinkSearchTest : public ::testing::Test {
 protected:
  LinkSearchTest() {
    setenv("no_proxy", "*", 1);
    options_.stopPoll = std::chrono::milliseconds(20);
  }
  ~LinkSearchTest() override { core::setServiceBase(""); }

  std::set<std::string> urls() {
    std::set<std::string> out;
    for (const auto& r : links_.snapshot()) out.emplace(r->url.view());
    return out;
  }
  core::LinkList::Ptr byUrl(const std::string& url) {
    for (const auto& r : links_.snapshot()) {
      if (r->url == url) return r;
    }
    return nullptr;
  }

  FakeSearchService service_;
  core::LinkList links_;
  core::Coordination coordination_;
  core::MessageQueue queue_;
  LinkSearchOptions options_;
};

std::vector<int> offsetsUpTo(int last) {
  std::vector<int> out;
  for (int o = 0; o <= last; o += 100) out.push_back(o);
  return out;
}

TEST_F(LinkSearchTest, BothEnginesCollectNewLinksOnceAndPageAsLongAsPagesBringThem) {
  service_.setPage(kEngineGoogle, 0,
                   "<a href='http://linker-one.example/'>Linker <b>One</b></a>"
                   "<a href='http://www.youtube.com/watch'>video</a>"
                   "<a href='http://74.125.0.1/search?q=cache:abc'>Cached</a>"
                   "<a href='mailto:x'>too short to be taken</a>"
                   "<a href='http://known.example/'>known before the search</a>"
                   "<a href='http://both.example/'>Both</a>"
                   "<a href='http://empty-text.example/'></a>"
                   "<a href='http://linker-one.example/'>twice on one page</a>");
  service_.setPage(kEngineGoogle, 100, "<a href='http://linker-two.example/'>Two</a>");
  for (int o = 200; o <= 900; o += 100) service_.setPage(kEngineGoogle, o, "<a href='http://linker-one.example/'>x</a>");
  service_.setPage(kEngineYahoo, 0,
                   "<a href='http://rds.yahoo.com/_ylt=A0/SIG=1/**http%3A//linker-three.example/deep/'>Three</a>"
                   "<a href='http://rds.yahoo.com/_ylt=B0/**http%3A//cached-copy.example/'>Cached</a>"
                   "<a href='http://siteexplorer.search.yahoo.com/mysites'>My Sites</a>"
                   "<a href='http://ysearchblog.example/'>blog</a>"
                   "<a href='javascript:void(0)'>script</a>"
                   "<a href='http://both.example/'>Both</a>");
  // Yahoo's pages keep bringing one new link each up to offset 700.
  service_.setPageMaker(kEngineYahoo, [](int offset) {
    return offset <= 700 ? "<a href='http://y" + std::to_string(offset) + ".example/'>y</a>" : std::string();
  });
  ASSERT_TRUE(service_.start());
  links_.append([] {
    core::LinkRecord r{};
    r.url = "http://known.example/";
    r.page_rank = 9;
    return r;
  }());

  LinkSearch search(links_, coordination_, queue_.poster(), options_);
  coordination_.stop.set();  // left over from an earlier job: starting clears it
  ASSERT_TRUE(search.start(kSite));
  EXPECT_GE(coordination_.workers.value(), 2);  // counted before the threads run
  std::vector<EngineOutcome> outcomes = search.wait();
  EXPECT_EQ(coordination_.workers.value(), 0);
  EXPECT_TRUE(search.finished());
  EXPECT_EQ(searchEndText(coordination_.stop.isSet()), "Search complete!");
  ASSERT_EQ(outcomes.size(), 2u);

  std::set<std::string> expected{"http://known.example/",        "http://linker-one.example/",
                                 "http://both.example/",         "http://empty-text.example/",
                                 "http://linker-two.example/",   "http://linker-three.example/deep/"};
  for (int o = 100; o <= 700; o += 100) expected.insert("http://y" + std::to_string(o) + ".example/");
  EXPECT_EQ(urls(), expected);
  EXPECT_EQ(links_.size(), expected.size()) << "no URL twice";

  // The first five follow-up pages never end an engine; then a page without
  // new links does.
  EXPECT_EQ(service_.offsets(kEngineGoogle), offsetsUpTo(500));
  EXPECT_EQ(service_.offsets(kEngineYahoo), offsetsUpTo(800));
  EXPECT_EQ(service_.targets(kEngineGoogle).front(),
            "/search?q=link%3Awww.mysite.example&num=100&newwindow=1&start=0&filter=0");
  EXPECT_EQ(service_.targets(kEngineYahoo).front(),
            "/advsearch?p=http%3A%2F%2Fwww.mysite.example&b=0&bwm=i&bwmo=&bwmf=u");

  EXPECT_EQ(byUrl("http://linker-one.example/")->link_text, "Linker One");
  EXPECT_EQ(byUrl("http://linker-one.example/")->page_rank, 3);
  EXPECT_EQ(byUrl("http://linker-two.example/")->page_rank, 7);
  EXPECT_EQ(byUrl("http://linker-three.example/deep/")->link_text, "Three");
  EXPECT_EQ(byUrl("http://empty-text.example/")->link_text, "");
  EXPECT_EQ(byUrl("http://linker-two.example/")->add_time, 0);
  EXPECT_EQ(byUrl("http://known.example/")->page_rank, 9);

  // One link-found message per appended record, naming it.
  std::vector<core::Message> messages = queue_.take();
  EXPECT_EQ(messages.size(), expected.size() - 1);
  for (const core::Message& m : messages) {
    EXPECT_EQ(m.id, core::MessageId::kLinkFound);
    core::LinkList::Ptr r = links_.find(static_cast<core::LinkRecord*>(m.record));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->url, m.text);
  }

  // A later search finds nothing new and adds nothing.
  LinkSearch again(links_, coordination_, queue_.poster(), options_);
  ASSERT_TRUE(again.start(kSite));
  again.wait();
  EXPECT_EQ(links_.size(), expected.size());
  EXPECT_TRUE(queue_.take().empty());
}

TEST_F(LinkSearchTest, StopAddsNothingMoreAndClosesTheEngines) {
  // Every page brings a new link: only the stop signal ends this search.
  service_.setPageMaker(kEngineGoogle, [](int offset) {
    return "<a href='http://g" + std::to_string(offset) + ".example/'>g</a>";
  });
  // The stop signal goes up while the fourth link's rank is being asked.
  service_.onToolbarQuery([this](int number) {
    if (number == 4) coordination_.stop.set();
  });
  ASSERT_TRUE(service_.start());
  options_.engines = {kEngineGoogle};
  LinkSearch search(links_, coordination_, queue_.poster(), options_);
  ASSERT_TRUE(search.start(kSite));
  std::vector<EngineOutcome> outcomes = search.wait();
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_TRUE(outcomes[0].closedByStop);
  EXPECT_EQ(links_.size(), 3u);
  EXPECT_EQ(queue_.take().size(), 3u);
  EXPECT_EQ(searchEndText(coordination_.stop.isSet()), "Search canceled!");
  EXPECT_EQ(coordination_.workers.value(), 0);
}

TEST_F(LinkSearchTest, AnEngineThatNeverAnswersClosesAtItsTimeLimit) {
  test::SilentPort silent;
  ASSERT_GT(silent.port(), 0);
  ASSERT_TRUE(core::setServiceBase(silent.baseUrl()));
  options_.timeLimit = std::chrono::milliseconds(200);
  options_.pageFetch.stallTimeout = std::chrono::milliseconds(300);
  LinkSearch search(links_, coordination_, queue_.poster(), options_);
  ASSERT_TRUE(search.start(kSite));
  std::vector<EngineOutcome> outcomes = search.wait();
  ASSERT_EQ(outcomes.size(), 2u);
  for (const EngineOutcome& o : outcomes) {
    EXPECT_TRUE(o.closedByTimeLimit) << o.engine;
    EXPECT_FALSE(o.closedByStop);
    EXPECT_EQ(o.accepted, 0u);
  }
  EXPECT_EQ(links_.size(), 0u);
  EXPECT_EQ(searchEndText(coordination_.stop.isSet()), "Search complete!");
}

TEST_F(LinkSearchTest, AnUnreachableServiceEndsEachEngineAfterSixEmptyPages) {
  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:" + std::to_string(test::unusedLocalPort())));
  LinkSearch search(links_, coordination_, queue_.poster(), options_);
  ASSERT_TRUE(search.start(kSite));
  for (const EngineOutcome& o : search.wait()) {
    EXPECT_EQ(o.pagesFetched, 6) << o.engine;
    EXPECT_EQ(o.accepted, 0u);
  }
}

TEST_F(LinkSearchTest, AWebsiteUrlWithoutHostStartsNothing) {
  LinkSearch search(links_, coordination_, queue_.poster(), options_);
  EXPECT_FALSE(search.start("www.mysite.example"));
  EXPECT_FALSE(search.start(""));
  EXPECT_EQ(coordination_.workers.value(), 0);
  EXPECT_TRUE(search.wait().empty());
}

TEST_F(LinkSearchTest, ProcessingComparesUrlsAsTheRecordHoldsThem) {
  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:" + std::to_string(test::unusedLocalPort())));
  // Longer than the record's URL field: stored cut, and the cut form is what
  // a second sighting is compared with.
  const std::string longUrl = "http://long.example/" + std::string(600, 'a');
  std::vector<CollectedAnchor> anchors{{longUrl, "first"}, {longUrl, "second"}};
  EXPECT_EQ(processAnchors(kEngineGoogle, anchors, links_, coordination_, queue_.poster()), 1u);
  EXPECT_TRUE(anchors.empty());
  std::vector<CollectedAnchor> later{{longUrl, "third"}};
  EXPECT_EQ(processAnchors(kEngineGoogle, later, links_, coordination_, queue_.poster()), 0u);
  ASSERT_EQ(links_.size(), 1u);
  EXPECT_EQ(links_.at(0)->url, longUrl.substr(0, 512));
  EXPECT_EQ(links_.at(0)->page_rank, 0);  // the rank query failed

  // Addresses that are not web pages are never taken, whatever the engine.
  std::vector<CollectedAnchor> hostile{{"javascript:alert(document.domain)//http://x.example/", "click"},
                                       {"data:text/html,<script>alert(1)</script>", "click"},
                                       {"https://fine.example/page", "fine"}};
  EXPECT_EQ(processAnchors(kEngineGoogle, hostile, links_, coordination_, queue_.poster()), 1u);
  ASSERT_EQ(links_.size(), 2u);
  EXPECT_EQ(links_.at(1)->url, "https://fine.example/page");
}

}  // namespace
}  // namespace larkspur::links
