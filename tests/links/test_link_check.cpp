// The links check on a farm of linking pages: what each page's link is
// worth, recorded into its details; and the robots.txt rules it reads.

#include "links/link_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "links/robots_rules.h"
#include "tests/support/local_server.h"

namespace larkspur::links {
namespace {

using core::Known;

constexpr char kSite[] = "http://www.mysite.example/";
constexpr char kNow[] = "2026-03-05T09:07:00Z";

TEST(RobotsRules, TheLongestRuleForEveryAgentDecides) {
  const RobotsRules rules = RobotsRules::parse(
      "User-agent: Googlebot\nDisallow: /\n\n"
      "User-agent: other\nUser-agent: *  # every engine\nDisallow: /private/\nAllow: /private/open\n"
      "Disallow: /*.pdf$\nDisallow: /search?q=\nAllow: /same\nDisallow: /same\nDisallow:\n");
  const struct {
    const char* path;
    bool allowed;
  } cases[] = {
      {"/", true},          {"/private/x", false},  {"/private/open/x", true}, {"/a/b.pdf", false},
      {"/a/b.pdf?x", true}, {"/search?q=a", false}, {"/search", true},        {"/same", true},
  };
  for (const auto& c : cases) EXPECT_EQ(rules.allows(c.path), c.allowed) << c.path;
  EXPECT_TRUE(RobotsRules::parse("User-agent: Googlebot\nDisallow: /\n").allows("/x"));
}

// The farm: one page for each way a link does or does not count.
class LinkCheckFarm : public ::testing::Test {
 protected:
  LinkCheckFarm() {
    setenv("no_proxy", "*", 1);
    const std::string link = "<a href='http://mysite.example/page'>My <b>site</b></a>";
    page("/followed", "<p>" + link + "</p><a rel='nofollow' href='http://mysite.example/'>again</a>");
    page("/nofollow", "<a rel='nofollow' href='https://WWW.MySite.example/'>x</a><a href='http://other.example/'>o</a>");
    page("/ugc", "<a rel='UGC external' href='http://www.mysite.example/'>u</a>");
    page("/sponsored", "<map><area rel='sponsored nofollow' href='http://mysite.example/' alt='a'></map>");
    page("/image", "<a href='http://www.mysite.example/'> <img src='b.png' alt=' Banner  alt '></a>");
    page("/noindex-meta", "<meta name='ROBOTS' content='index, NOINDEX'>" + link);
    page("/noindex-header", link, "googlebot: noindex");
    page("/robots-only", link, "otherbot: noindex");
    page("/private/page", link);
    page("/landing", link);
    page("/removed", "<p>no link any more</p>");
    page("/back", link);
    server_.get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/landing"); });
    server_.get("/robots.txt", [this](const httplib::Request&, httplib::Response& res) {
      ++robotsFetches_;
      res.set_content("User-agent: *\nDisallow: /private/\n", "text/plain");
    });
    options_.clock = [] { return std::chrono::system_clock::from_time_t(1772701620); };
  }

  void page(const std::string& path, const std::string& body, const std::string& robotsTag = "") {
    server_.get(path, [this, body, robotsTag](const httplib::Request&, httplib::Response& res) {
      const int now = ++inFlight_;
      int most = mostInFlight_.load();
      while (now > most && !mostInFlight_.compare_exchange_weak(most, now)) {
      }
      if (!robotsTag.empty()) res.set_header("X-Robots-Tag", robotsTag);
      res.set_content("<html><head><title>t</title></head><body>" + body + "</body></html>", "text/html");
      --inFlight_;
    });
  }

  test::LocalServer server_;
  core::LinkList links_;
  core::Event stop_;
  LinkCheckOptions options_;
  std::atomic<int> robotsFetches_{0};
  std::atomic<int> inFlight_{0};
  std::atomic<int> mostInFlight_{0};
};

TEST_F(LinkCheckFarm, EachPageRecordsWhatItsLinkIsWorth) {
  ASSERT_TRUE(server_.start());
  const std::string refused = "http://127.0.0.1:" + std::to_string(test::unusedLocalPort()) + "/refused";
  struct Case {
    std::string url;
    Known before;  // what the last check found
    const char* lostBefore;
    int status;
    const char* finalPath;
    Known found;
    const char* anchor;
    const char* rel;
    Known indexable;
    const char* why;
    const char* firstSeen;
    const char* lostSince;
  };
  const Known kUnknown = Known::kUnknown, kYes = Known::kYes, kNo = Known::kNo;
  const std::vector<Case> cases = {
      {"/followed", kUnknown, "", 200, "/followed", kYes, "My site", "", kYes, "", "2026-03-05", ""},
      {"/nofollow", kUnknown, "", 200, "/nofollow", kYes, "x", "nofollow", kYes, "", "2026-03-05", ""},
      {"/ugc", kUnknown, "", 200, "/ugc", kYes, "u", "ugc", kYes, "", "2026-03-05", ""},
      {"/sponsored", kUnknown, "", 200, "/sponsored", kYes, "", "nofollow sponsored", kYes, "", "2026-03-05", ""},
      {"/image", kUnknown, "", 200, "/image", kYes, "Banner alt", "", kYes, "", "2026-03-05", ""},
      {"/noindex-meta", kUnknown, "", 200, "/noindex-meta", kYes, "My site", "", kNo, "robots meta", "2026-03-05", ""},
      {"/noindex-header", kUnknown, "", 200, "/noindex-header", kYes, "My site", "", kNo, "X-Robots-Tag", "2026-03-05",
       ""},
      {"/robots-only", kUnknown, "", 200, "/robots-only", kYes, "My site", "", kYes, "", "2026-03-05", ""},
      {"/private/page", kUnknown, "", 200, "/private/page", kYes, "My site", "", kNo, "robots.txt", "2026-03-05", ""},
      {"/moved", kUnknown, "", 200, "/landing", kYes, "My site", "", kYes, "", "2026-03-05", ""},
      {"/missing", kYes, "", 404, "/missing", kNo, "before", "", kNo, "HTTP 404", "2025-01-02", kNow},
      {"/removed", kYes, "", 200, "/removed", kNo, "before", "", kYes, "", "2025-01-02", kNow},
      {"/back", kNo, "2026-01-01T00:00:00Z", 200, "/back", kYes, "My site", "", kYes, "", "2025-01-02", ""},
      // No answer: what the last answer said stays.
      {refused, kYes, "", 0, "", kYes, "before", "", kUnknown, "", "2025-01-02", ""},
  };
  for (const Case& c : cases) {
    core::LinkRecord r{};
    r.url = c.url.starts_with("/") ? server_.url(c.url) : c.url;
    r.details.linkFound = c.before;
    r.details.lostSince = c.lostBefore;
    if (c.before != kUnknown) {
      r.details.firstSeen = "2025-01-02";
      r.details.anchor = "before";
    }
    links_.append(r);
  }

  std::vector<std::string> order;
  const LinkCheckEnd end = checkLinkingPages(links_, kSite, stop_, options_, [&](const auto&, const PageCheck& check) {
    order.push_back(check.url);
  });
  EXPECT_EQ(end.checked, cases.size());
  EXPECT_FALSE(end.stopped);
  EXPECT_EQ(robotsFetches_.load(), 1);  // once for the host
  EXPECT_LE(mostInFlight_.load(), 2);   // at most two pages of a host at once
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const core::LinkDetails& d = links_.at(i)->details;
    SCOPED_TRACE(c.url);
    EXPECT_EQ(order[i], links_.at(i)->url.str());
    EXPECT_EQ(d.httpStatus, c.status);
    EXPECT_EQ(d.finalUrl, *c.finalPath ? server_.url(c.finalPath) : "");
    EXPECT_EQ(d.linkFound, c.found);
    EXPECT_EQ(d.anchor, c.anchor);
    EXPECT_EQ(d.rel, c.rel);
    EXPECT_EQ(d.indexable, c.indexable);
    EXPECT_EQ(d.notIndexableBy, c.why);
    EXPECT_EQ(d.firstSeen, c.firstSeen);
    EXPECT_EQ(d.lastSeen, c.found == kYes && c.status ? "2026-03-05" : "");
    EXPECT_EQ(d.lastChecked, kNow);
    EXPECT_EQ(d.lostSince, c.lostSince);
  }
}

}  // namespace
}  // namespace larkspur::links
