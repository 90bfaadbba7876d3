#include "links/pagerank.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "core/service_hosts.h"
#include "tests/support/local_server.h"

namespace larkspur::links {
namespace {

TEST(ToolbarChecksum, KnownAddresses) {
  struct Case {
    std::string address;
    const char* checksum;
  };
  const std::string longAddress =
      [] {
        std::string s;
        for (int i = 0; i < 4; ++i) s += "http://www.example.com/some/long/path/index.html?query=1&x=%20y";
        return s;
      }();
  const Case cases[] = {
      {"", "774096"},  // h1 = 5381, h2 = 0
      {"abc", "728738946"},
      {"a", "7845057"},
      {"http://www.example.com/", "771853242395"},
      {longAddress, "792454555936"},
      // Bytes of 0x80 and above count as negative values.
      {"\x80", "76252690208"},
      {"\xff\xfe" "A", "76261071010"},
      {"http://ex\xc3\xa4mple.de/", "782392955058"},
  };
  for (const Case& c : cases) EXPECT_EQ(toolbarChecksum(c.address), c.checksum) << c.address;
}

TEST(ParsePageRank, OneCharacterAfterTheLastColon) {
  struct Case {
    std::string answer;
    int32_t rank;
  };
  const Case cases[] = {
      {"Rank_1:1:6", 6},
      {"Rank_1:1:6\n", 6},
      {"Rank_1:2:10", 1},   // one character only
      {"Rank_1", 0},        // no ':': the first character, 'R'
      {"7Rank_1", 7},       // no ':': the first character
      {"Rank_1:1:", 0},     // nothing after the colon
      {"Rank_1:1:x", 0},    // not a digit
      {"", 0},
      {"Rank_2:1:6", 0},    // no "Rank_1"
      {"note: Rank_1:1:4", 4},
      {"Rank_1:1:5 trailing:9", 9},  // the last colon in the whole answer
      {std::string("Rank_1:1:3\0:9", 13), 3},  // the answer ends at its first NUL
      {std::string("xx\0Rank_1:1:3", 13), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(parsePageRank(c.answer), c.rank) << c.answer;
}

class PageRankQueryTest : public ::testing::Test {
 protected:
  PageRankQueryTest() {
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
  }
  ~PageRankQueryTest() override { core::setServiceBase(""); }

  test::LocalServer toolbar_;
};

TEST_F(PageRankQueryTest, AsksTheToolbarHostThroughTheServiceBase) {
  std::mutex mutex;
  std::string target;
  std::string agent;
  toolbar_.get("/search", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    target = req.target;
    agent = req.get_header_value("User-Agent");
    res.set_content("Rank_1:1:6", "text/plain");
  });
  ASSERT_TRUE(toolbar_.start());
  ASSERT_TRUE(core::setServiceBase(toolbar_.baseUrl()));

  // No '?' in the address here: the test server refuses a target with a
  // second '?' (pageRankRequestUrl is checked with one below).
  const std::string address = "http://www.example.com/dir/page.html";
  int32_t rank = -5;
  PageRankDetails details;
  EXPECT_EQ(queryPageRank(address, rank, &details), 0);
  EXPECT_EQ(rank, 6);
  EXPECT_EQ(details.fetchResult, 0);
  EXPECT_EQ(details.checksum, toolbarChecksum(address));
  const std::string path =
      "/search?client=navclient-auto&ch=" + toolbarChecksum(address) + "&features=Rank&q=info:" + address;
  EXPECT_EQ(details.requestUrl, toolbar_.baseUrl() + path);
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(target, path) << "the address goes out unchanged";
  EXPECT_EQ(agent, "Microsoft Internet Explorer");
}

TEST_F(PageRankQueryTest, RequestUrlCarriesTheAddressUnescaped) {
  const std::string address = "http://www.example.com/a b?c=d&e=%41";
  const std::string path =
      "/search?client=navclient-auto&ch=" + toolbarChecksum(address) + "&features=Rank&q=info:" + address;
  EXPECT_EQ(pageRankRequestUrl(address),
            std::string(core::defaultServiceHost(core::Service::ToolbarQuery)) + path);
  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:8080"));
  EXPECT_EQ(pageRankRequestUrl(address), "http://127.0.0.1:8080" + path);
}

TEST_F(PageRankQueryTest, AnswersWithoutARankGiveZeroWithSuccess) {
  toolbar_.get("/search", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/plain"); });
  ASSERT_TRUE(toolbar_.start());
  ASSERT_TRUE(core::setServiceBase(toolbar_.baseUrl()));
  int32_t rank = -5;
  EXPECT_EQ(queryPageRank("abc", rank), 0);
  EXPECT_EQ(rank, 0);
}

TEST_F(PageRankQueryTest, AnUnreachableServiceGivesMinusOneAndRankZero) {
  const int port = test::unusedLocalPort();
  ASSERT_GT(port, 0);
  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:" + std::to_string(port)));
  int32_t rank = -5;
  PageRankDetails details;
  EXPECT_EQ(queryPageRank("abc", rank, &details), -1);
  EXPECT_EQ(rank, 0);
  EXPECT_EQ(details.fetchResult, web::kFetchConnectFailed);
  EXPECT_FALSE(details.errorText.empty());
}

}  // namespace
}  // namespace larkspur::links
