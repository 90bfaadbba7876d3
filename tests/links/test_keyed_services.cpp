// Bing Webmaster Tools' backlinks and Open PageRank's ranks, asked of the
// fake services on a local server through the service base.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/coordination.h"
#include "core/engine_table.h"
#include "core/service_hosts.h"
#include "core/website_profile.h"
#include "links/bing_webmaster.h"
#include "links/engine_page_rank_update.h"
#include "links/link_info_update.h"
#include "tests/support/fake_services.h"

namespace larkspur::links {
namespace {

using std::chrono::milliseconds;
using test::ScriptedAnswer;

constexpr char kBingKey[] = "bing-key-0123456789abcdef";
constexpr char kPageRankKey[] = "opr-key-0123456789abcdef";
constexpr char kSite[] = "http://www.mysite.example/";

core::LinkRecord linkTo(std::string_view url, int32_t rank) {
  core::LinkRecord record = core::zeroLinkRecord();
  record.url = url;
  record.page_rank = rank;
  return record;
}

class KeyedServicesTest : public ::testing::Test {
 protected:
  KeyedServicesTest() {
    setenv("no_proxy", "*", 1);
    fake_.backlinks = {
        {kSite, {{"http://a.example/1", "Alpha"}, {"http://b.example/2", "Beta\x07 bell"}, {"javascript:x()", "x"}}},
        {"http://www.mysite.example/page",
         {{"http://c.example/3", "Gamma"}, {"http://a.example/1", "Alpha again"}, {"http://known.example/", "Known"}}},
        {"http://www.mysite.example/z", {{"http://d.example/4", "Delta"}}},
    };
    EXPECT_TRUE(fake_.start() && core::setServiceBase(fake_.baseUrl()));
    bing_.key = kBingKey;
    pageRank_.key = kPageRankKey;
  }
  ~KeyedServicesTest() override { core::setServiceBase(""); }

  BingBacklinkResult searchBing(const core::Event* stop = nullptr) {
    return searchBingBacklinks(kSite, links_, [this](core::Message m) { posted_.push_back(m); }, bing_, stop);
  }
  std::string anchorAt(std::size_t index) { return links_.at(index)->details.anchor; }

  test::FakeKeyServices fake_{kBingKey, kPageRankKey};
  BingBacklinkOptions bing_;
  OpenPageRankOptions pageRank_;
  core::LinkList links_;
  std::vector<core::Message> posted_;
};

TEST_F(KeyedServicesTest, BingBacklinksArePagedKeepTheirAnchorsAndMergeWithListedLinksByUrl) {
  links_.append(linkTo("http://known.example/", 4));
  const BingBacklinkResult first = searchBing();
  EXPECT_EQ(first.failure, "");
  // Two pages of the site's pages; two pages of links for each of the first two.
  EXPECT_EQ(fake_.bingRequests.load(), 7);
  EXPECT_EQ(first.added, 4u);  // no javascript: address, a.example/1 once
  EXPECT_EQ(first.updated, 1u);
  EXPECT_EQ(std::vector<std::string>({anchorAt(0), anchorAt(1), anchorAt(2)}),
            std::vector<std::string>({"Known", "Alpha", "Beta  bell"}));
  EXPECT_EQ(links_.at(0)->page_rank, 4);
  std::multiset<core::MessageId> ids;
  for (const core::Message& m : posted_) ids.insert(m.id);
  EXPECT_EQ(ids.count(core::MessageId::kLinkFound), 4u);
  EXPECT_EQ(ids.count(core::MessageId::kRecordChanged), 1u);
  EXPECT_EQ(searchBing().added + searchBing().updated, 0u);
  EXPECT_EQ(links_.size(), 5u);
}

TEST_F(KeyedServicesTest, RefusedKeysSlowDownsAndStrangeAnswersEndTheRunWithASentence) {
  const ScriptedAnswer slowDown{429, "7", ""};  // longer than the default wait
  struct Case {
    std::vector<ScriptedAnswer> answers;
    const char* failure;
    int requests;
    milliseconds leastWait;  // what the Retry-After headers asked, in the test's short seconds
  } cases[] = {
      {{{401, "", ""}}, "The Bing Webmaster Tools key was refused.", 1, milliseconds(0)},
      {{{403, "", ""}}, "The Bing Webmaster Tools key was refused.", 1, milliseconds(0)},
      {{{400, "", R"({"ErrorCode":3,"Message":"InvalidApiKey"})"}}, "The Bing Webmaster Tools key was refused.", 1,
       milliseconds(0)},
      {{slowDown, slowDown, slowDown, slowDown, slowDown},
       "Bing Webmaster Tools still asked to slow down after 5 tries: try again later.", 5, milliseconds(4 * 7 * 10)},
      // A wait past the limit is cut to it; none named takes the default; a
      // throttling ErrorCode counts as 429; then the run goes on.
      {{{429, "99999", ""}, {429, "", ""}, {200, "", R"({"ErrorCode":4})"}}, "", 10, milliseconds((8 + 5 + 5) * 10)},
      {{{400, "", R"({"ErrorCode":14,"Message":"NotAuthorized"})"}},
       "Bing Webmaster Tools answered HTTP 400 (NotAuthorized).", 1, milliseconds(0)},
      {{{200, "", "<html>not json</html>"}}, "Bing Webmaster Tools sent an answer that is not its JSON.", 1,
       milliseconds(0)},
  };
  bing_.calls.second = milliseconds(10);
  bing_.calls.maxWait = std::chrono::seconds(8);
  for (const Case& c : cases) {
    links_.clear();
    fake_.bingRequests = 0;
    fake_.script(c.answers);
    const auto start = std::chrono::steady_clock::now();
    const BingBacklinkResult result = searchBing();
    EXPECT_EQ(result.failure, c.failure) << c.answers.front().status;
    EXPECT_EQ(fake_.bingRequests.load(), c.requests) << c.failure;
    EXPECT_GE(std::chrono::steady_clock::now() - start, c.leastWait) << c.failure;
    EXPECT_EQ(links_.size(), result.failure.empty() ? 5u : 0u) << c.failure;  // known.example is new here
  }
}

TEST_F(KeyedServicesTest, StopEndsAWaitForTheServiceWithinASecond) {
  fake_.script({{429, "30", ""}});
  bing_.calls.second = milliseconds(1000);  // the product's seconds
  core::Event stop;
  std::jthread stopper([&stop] {
    std::this_thread::sleep_for(milliseconds(100));
    stop.set();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(searchBing(&stop).stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(KeyedServicesTest, TenThousandLinksOnSevenHundredDomainsTakeSevenRankRequests) {
  for (int d = 0; d < 690; ++d) fake_.ranks["d" + std::to_string(d) + ".example"] = d % 11;  // 10 unknown
  for (int i = 0; i < 10'000; ++i) {
    links_.append(linkTo("http://www.D" + std::to_string(i % 700) + ".example/p" + std::to_string(i), 7));
  }
  core::Coordination coordination;
  LinkInfoOptions options;
  options.openPageRank = pageRank_;
  const LinkInfoResult result = runLinkInfoUpdate(links_, kGetPageRank, coordination, {}, options);

  EXPECT_EQ(fake_.pageRankRequests.load(), 7);
  EXPECT_EQ(fake_.largestBatch.load(), kOpenPageRankBatch);
  EXPECT_EQ(result.visited, 10'000u);
  for (std::size_t i = 0; i < links_.size(); ++i) {
    const int d = static_cast<int>(i % 700);
    ASSERT_EQ(links_.at(i)->page_rank, d < 690 ? d % 11 : 7) << links_.at(i)->url.view();
  }
}

TEST_F(KeyedServicesTest, TheEngineListTakesItsRanksFromOneRunAndARefusedKeyLeavesThemAlone) {
  core::EngineTable engines;
  engines.buildFromBuiltIn();
  std::set<std::string> domains;
  for (std::size_t i = 0; i < engines.size(); ++i) {
    domains.insert(rankDomain(core::hostOfUrl(engines.at(i)->submit_url.view())));
  }
  domains.erase("");
  for (const std::string& domain : domains) fake_.ranks[domain] = 10;
  const std::string unknown = *domains.begin();
  fake_.ranks.erase(unknown);
  for (std::size_t i = 0; i < engines.size(); ++i) engines.at(i)->rank = 3;

  auto run = [&] {
    core::Event stop;
    EnginePageRankUpdate update(stop);
    std::vector<std::string> notices;  // the worker's alone until join()
    auto post = [&](core::Message m) {
      if (m.id == core::MessageId::kJobNotice) notices.push_back(m.text);
    };
    EXPECT_TRUE(update.start(engines, post, openPageRankQuery(pageRank_)));
    update.join();
    return notices;
  };
  fake_.script({{401, "", ""}});
  EXPECT_EQ(run(), std::vector<std::string>{"The Open PageRank key was refused."});
  EXPECT_EQ(engines.at(0)->rank, 3);

  fake_.pageRankRequests = 0;
  EXPECT_EQ(run(), std::vector<std::string>{});
  EXPECT_EQ(fake_.pageRankRequests.load(), static_cast<int>((domains.size() + 99) / 100));
  for (std::size_t i = 0; i < engines.size(); ++i) {
    const std::string domain = rankDomain(core::hostOfUrl(engines.at(i)->submit_url.view()));
    EXPECT_EQ(engines.at(i)->rank, domain == unknown || domain.empty() ? 3 : 10) << domain;
  }
}

}  // namespace
}  // namespace larkspur::links
