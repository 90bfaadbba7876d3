// Announcing a website through IndexNow, against a local website and endpoint.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "announce/announcer.h"
#include "web/http_fetch.h"
#include "core/service_hosts.h"
#include "tests/support/announce_site.h"
#include "tests/support/temp_dir.h"

namespace larkspur::announce {
namespace {

using test::EndpointAnswer;
using test::FakeSite;
using test::gzipped;
using test::sitemapIndex;
using test::urlset;

constexpr const char* kSite = "https://www.example.com/";

// Every request of a test goes to its local server.
class ServiceBase {
 public:
  explicit ServiceBase(const std::string& base) { EXPECT_TRUE(core::setServiceBase(base)); }
  ~ServiceBase() { core::setServiceBase(""); }
};

// Waits are recorded, never slept.
struct RecordedWaits {
  std::vector<long> seconds;
  RunHooks hooks() {
    RunHooks h;
    h.wait = [this](std::chrono::seconds d) {
      seconds.push_back(static_cast<long>(d.count()));
      return true;
    };
    return h;
  }
};

TEST(Robots, SitemapLinesAndWhetherEveryEngineIsShutOut) {
  struct Case {
    const char* text;
    std::vector<std::string> sitemaps;
    bool blocks;
  } cases[] = {
      {"User-agent: *\nDisallow:\nSitemap: https://a.test/s.xml\n", {"https://a.test/s.xml"}, false},
      {"sitemap: https://a.test/1.xml\r\nSITEMAP:https://a.test/2.xml # two\r\n", {"https://a.test/1.xml", "https://a.test/2.xml"}, false},
      {"User-agent: *\nDisallow: /\n", {}, true},
      {"User-agent: Bingbot\nDisallow: /\n", {}, false},
      {"User-agent: Bingbot\nUser-agent: *\nDisallow: / # all\n", {}, true},
      {"User-agent: *\nDisallow: /private/\n", {}, false},
      {"User-agent: *\nDisallow: /\nAllow: /\n", {}, false},
      {"User-agent: *\nDisallow: /x\n\nUser-agent: Yandex\nDisallow: /\n", {}, false},
  };
  for (const Case& c : cases) {
    RobotsFacts facts = parseRobots(c.text);
    EXPECT_EQ(facts.sitemaps, c.sitemaps) << c.text;
    EXPECT_EQ(facts.blocksEveryone, c.blocks) << c.text;
  }
}

TEST(SitemapFile, ReadsUrlsetsAndIndexesAndRefusesWhatIsNotOne) {
  std::string many = "<urlset>";
  for (int i = 0; i <= 50000; ++i) many += "<url><loc>https://a.test/" + std::to_string(i) + "</loc></url>";
  many += "</urlset>";
  const std::string hugePlain = "<urlset>" + std::string(kMaxSitemapBytes, ' ') + "</urlset>";
  const std::string plain = urlset({{"https://a.test/", "2024-01-02"}, {" https://a.test/b ", ""}});
  struct Case {
    std::string name;
    std::string bytes;
    bool ok;
    bool isIndex;
    std::vector<PageUrl> entries;
    std::string problem;
  } cases[] = {
      {"s.xml", plain, true, false, {{"https://a.test/", "2024-01-02"}, {"https://a.test/b", ""}}, ""},
      {"s.xml.gz", gzipped(plain), true, false, {{"https://a.test/", "2024-01-02"}, {"https://a.test/b", ""}}, ""},
      {"s", gzipped(plain), true, false, {{"https://a.test/", "2024-01-02"}, {"https://a.test/b", ""}}, ""},
      {"i.xml", sitemapIndex({"https://a.test/1.xml"}), true, true, {{"https://a.test/1.xml", ""}}, ""},
      {"c.xml", "<urlset><url><loc><![CDATA[https://a.test/c]]></loc></url></urlset>", true, false, {{"https://a.test/c", ""}}, ""},
      {"broken.xml", "<urlset><url><loc>https://a.test/</loc></url>", false, false, {}, "not valid XML"},
      {"page.xml", "<html><body>hi</body></html>", false, false, {}, "not a sitemap"},
      {"empty.xml", "", false, false, {}, "empty"},
      {"bad.xml.gz", "<urlset></urlset>", false, false, {}, "gzip"},
      {"many.xml", many, false, false, {}, "more than 50,000 URLs"},
      {"huge.xml.gz", gzipped(hugePlain), false, false, {}, "larger than 50 MB"},
      {"huge.xml", hugePlain, false, false, {}, "larger than 50 MB"},
  };
  for (const Case& c : cases) {
    SitemapContent content;
    core::Status s = readSitemap(c.bytes, c.name, content);
    EXPECT_EQ(s.ok(), c.ok) << c.name << ": " << s.message;
    if (c.ok) {
      EXPECT_EQ(content.isIndex, c.isIndex) << c.name;
      EXPECT_EQ(content.entries, c.entries) << c.name;
    } else {
      EXPECT_NE(s.message.find(c.problem), std::string::npos) << c.name << ": " << s.message;
    }
  }
}

// robots.txt names an index (of a gzip sitemap and a plain one), a broken
// sitemap and an oversized one.
void serveSitemaps(FakeSite& site) {
  site.bigUrls = kMaxSitemapUrls + 1;
  site.files["/robots.txt"] =
      "User-agent: *\nDisallow: /private/\nSitemap: https://www.example.com/index.xml\n"
      "Sitemap: https://www.example.com/broken.xml\nsitemap: https://www.example.com/big.xml\n";
  site.files["/index.xml"] = sitemapIndex({"https://www.example.com/a.xml.gz", "https://www.example.com/b.xml",
                                           "https://www.example.com/index.xml"});
  site.files["/a.xml.gz"] = gzipped(urlset({{"https://www.example.com/", "2024-05-01"},
                                            {"https://www.example.com/one", "2024-05-02"}}));
  site.files["/b.xml"] = urlset({{"https://WWW.EXAMPLE.COM/two", ""},
                                 {"http://www.example.com/three", "2024-05-03"},
                                 {"https://www.example.com/one", "2024-05-02"},
                                 {"https://elsewhere.example.org/x", ""},
                                 {"https://example.com/y", ""}});
  site.files["/broken.xml"] = "<urlset><url>";
  site.files["/"] = "<html>home</html>";
}

TEST(SitePages, SitemapsFromRobotsAreFollowedFilteredAndCountedOnce) {
  FakeSite site;
  serveSitemaps(site);
  ASSERT_TRUE(site.start());
  ServiceBase base(site.base());
  RunHooks hooks;
  RobotsFacts robots = parseRobots(site.files["/robots.txt"]);
  SitePages pages = readSitemaps(kSite, robots.sitemaps, "", hooks);

  std::vector<PageUrl> expected = {{"https://www.example.com/", "2024-05-01"},
                                   {"https://www.example.com/one", "2024-05-02"},
                                   {"https://WWW.EXAMPLE.COM/two", ""},
                                   {"http://www.example.com/three", "2024-05-03"}};
  EXPECT_EQ(pages.pages, expected);
  EXPECT_EQ(pages.otherHosts, 2u);
  EXPECT_EQ(pages.duplicates, 1u);
  ASSERT_EQ(pages.sitemaps.size(), 5u);
  struct Row {
    std::string url;
    bool ok;
    std::size_t entries;
    std::string problem;
  } rows[] = {
      {"https://www.example.com/index.xml", true, 3, ""},
      {"https://www.example.com/a.xml.gz", true, 2, ""},
      {"https://www.example.com/b.xml", true, 5, ""},
      {"https://www.example.com/broken.xml", false, 0, "not valid XML"},
      {"https://www.example.com/big.xml", false, 0, "more than 50,000 URLs"},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(pages.sitemaps[i].url, rows[i].url);
    EXPECT_EQ(pages.sitemaps[i].ok, rows[i].ok) << rows[i].url;
    EXPECT_EQ(pages.sitemaps[i].entries, rows[i].entries) << rows[i].url;
    EXPECT_NE(pages.sitemaps[i].problem.find(rows[i].problem), std::string::npos) << pages.sitemaps[i].problem;
  }
}

TEST(KeyFile, TrimmedContentMustBeTheKey) {
  FakeSite site;
  site.files["/k1.txt"] = "0123456789abcdef\n";
  site.files["/k2.txt"] = "\xEF\xBB\xBF 0123456789abcdef \r\n";
  site.files["/k3.txt"] = "<html>Welcome</html>";
  ASSERT_TRUE(site.start());
  const std::string dead = "http://127.0.0.1:" + std::to_string(test::unusedLocalPort());
  struct Case {
    std::string base;
    std::string path;
    bool matches;
    std::string what;
  } cases[] = {
      {site.base(), "/k1.txt", true, "holds the key"},
      {site.base(), "/k2.txt", true, "holds the key"},
      {site.base(), "/k3.txt", false, "holds \"<html>Welcome</html>\" instead of the key"},
      {site.base(), "/missing.txt", false, "is not there (HTTP 404)"},
      {dead, "/k1.txt", false, "could not be reached"},
  };
  for (const Case& c : cases) {
    ServiceBase base(c.base);
    KeyFileCheck check = checkKeyFile(std::string("https://www.example.com") + c.path, "0123456789abcdef", RunHooks{});
    EXPECT_EQ(check.matches, c.matches) << c.path;
    EXPECT_NE(check.what.find(c.what), std::string::npos) << c.path << ": " << check.what;
  }
}

TEST(Key, MadeOnceFromRandomBytesAndChecked) {
  const std::string a = generateKey();
  EXPECT_EQ(a.size(), 32u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(a, generateKey());
  struct Case {
    const char* key;
    bool valid;
  } cases[] = {{"abcdefgh", true}, {"abc-DEF-123", true}, {"abcdefg", false}, {"abc_defgh", false}, {"abc defgh", false}};
  for (const Case& c : cases) EXPECT_EQ(isValidKey(c.key), c.valid) << c.key;
  EXPECT_TRUE(isValidKey(std::string(128, 'a')));
  EXPECT_FALSE(isValidKey(std::string(129, 'a')));

  core::AnnounceState state;
  EXPECT_TRUE(ensureKey(state, "www.example.com"));
  const std::string first = state.key;
  EXPECT_FALSE(ensureKey(state, "www.example.com"));
  EXPECT_EQ(state.key, first);
  EXPECT_TRUE(ensureKey(state, "other.example.com"));
  EXPECT_NE(state.key, first);
}

TEST(Endpoints, ByNameOrHttpsUrl) {
  struct Case {
    const char* given;
    const char* url;  // nullptr: refused
  } cases[] = {
      {"IndexNow", "https://api.indexnow.org/indexnow"},
      {"bing", "https://www.bing.com/indexnow"},
      {"YANDEX", "https://yandex.com/indexnow"},
      {"seznam", "https://search.seznam.cz/indexnow"},
      {"naver", "https://searchadvisor.naver.com/indexnow"},
      {"yep", "https://indexnow.yep.com/indexnow"},
      {"https://engine.example", "https://engine.example/indexnow"},
      {"https://engine.example/", "https://engine.example/indexnow"},
      {"https://engine.example/api/indexnow", "https://engine.example/api/indexnow"},
      {"http://engine.example/indexnow", nullptr},
      {"altavista", nullptr},
      {"ftp://engine.example/", nullptr},
  };
  for (const Case& c : cases) {
    std::string error;
    std::optional<Endpoint> e = resolveEndpoint(c.given, error);
    ASSERT_EQ(e.has_value(), c.url != nullptr) << c.given << ": " << error;
    if (e) {
      EXPECT_EQ(e->url, c.url);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(Submit, EveryAnswerBecomesASentenceAnd429IsRetriedWithinBounds) {
  struct Case {
    std::vector<EndpointAnswer> answers;
    int code;
    std::string sentence;
    int tries;
    std::vector<long> waits;
  } cases[] = {
      {{{200, ""}}, 200, "OK", 1, {}},
      {{{202, ""}}, 202, "key is still being validated", 1, {}},
      {{{400, ""}}, 400, "Bad request", 1, {}},
      {{{403, ""}}, 403, "key is not valid", 1, {}},
      {{{422, ""}}, 422, "not of this host", 1, {}},
      {{{500, ""}}, 500, "HTTP 500", 1, {}},
      {{{429, "7"}, {200, ""}}, 200, "OK", 2, {7}},
      {{{429, ""}, {429, ""}, {200, ""}}, 200, "OK", 3, {5, 10}},
      {{{429, "1"}, {429, "1"}, {429, "1"}, {429, "1"}, {200, ""}}, 429, "Gave up after 4 tries", 4, {1, 1, 1}},
      {{{429, "86400"}}, 429, "try again later", 1, {}},
  };
  for (const Case& c : cases) {
    FakeSite site;
    site.files["/0123456789abcdef.txt"] = "0123456789abcdef";
    ASSERT_TRUE(site.start());
    ServiceBase base(site.base());
    site.queue(c.answers);
    RecordedWaits waits;
    std::vector<std::string> urls = {"https://www.example.com/a", "https://www.example.com/b"};
    SubmitOutcome out = submitUrls(Endpoint{"Test", "https://api.indexnow.org/indexnow"}, "www.example.com",
                                   "0123456789abcdef", "https://www.example.com/0123456789abcdef.txt", true, urls,
                                   waits.hooks());
    EXPECT_EQ(out.code, c.code);
    EXPECT_NE(out.sentence.find(c.sentence), std::string::npos) << out.sentence;
    EXPECT_EQ(out.tries, c.tries);
    EXPECT_EQ(waits.seconds, c.waits);
    for (const auto& r : site.received()) EXPECT_EQ(r.problem, "");
  }
}

TEST(Submit, StopEndsARetryWaitWithinASecond) {
  FakeSite site;
  site.files["/0123456789abcdef.txt"] = "0123456789abcdef";
  ASSERT_TRUE(site.start());
  ServiceBase base(site.base());
  site.queue({{429, "300"}});
  core::Event stop;
  RunHooks hooks;
  hooks.stop = &stop;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.set();
  });
  auto started = std::chrono::steady_clock::now();
  std::vector<std::string> urls = {"https://www.example.com/a", "https://www.example.com/b"};
  SubmitOutcome out = submitUrls(Endpoint{"Test", "https://api.indexnow.org/indexnow"}, "www.example.com",
                                 "0123456789abcdef", "https://www.example.com/0123456789abcdef.txt", true, urls, hooks);
  stopper.join();
  EXPECT_TRUE(out.stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

// A fake site ready to be announced, with the key published once known.
struct ReadySite {
  FakeSite site;
  core::AnnounceState state;
  std::unique_ptr<ServiceBase> base;

  ReadySite() {
    serveSitemaps(site);
    site.files["/robots.txt"] = "User-agent: *\nDisallow:\nSitemap: https://www.example.com/index.xml\n";
    ensureKey(state, "www.example.com");
    site.files["/" + state.key + ".txt"] = state.key + "\n";
    EXPECT_TRUE(site.start());
    base = std::make_unique<ServiceBase>(site.base());
  }
};

std::string joined(const std::vector<CheckLine>& report) {
  std::string text;
  for (const CheckLine& l : report) text += std::string(levelWord(l.level)) + ": " + l.text + "\n";
  return text;
}

TEST(Readiness, OneReportOfWhatEnginesWillSee) {
  struct Case {
    std::string name;
    std::map<std::string, std::string> changes;  // path -> body ("" removes it)
    std::string website;
    Outcome outcome;
    std::vector<std::string> lines;
  } cases[] = {
      {"ready", {}, kSite, Outcome::Ready,
       {"ok: the website is served over https", "ok: the home page answers HTTP 200",
        "ok: robots.txt is served and lets engines in; it names 1 sitemap",
        "ok: sitemap https://www.example.com/index.xml is an index of 3 sitemaps",
        "ok: sitemap https://www.example.com/a.xml.gz holds 2 URLs", "warning: 2 URLs are not on www.example.com",
        "ok: 4 URLs of www.example.com found", "holds the key"}},
      {"plain http", {}, "http://www.example.com/", Outcome::Ready,
       {"warning: the website is served over plain http, not https"}},
      {"robots shuts out", {{"/robots.txt", "User-agent: *\nDisallow: /\n"}}, kSite, Outcome::NotReady,
       {"error: robots.txt shuts every engine out", "warning: robots.txt names no sitemap: trying https://www.example.com/sitemap.xml",
        "error: sitemap https://www.example.com/sitemap.xml is refused: it answers HTTP 404"}},
      {"no robots, sitemap.xml", {{"/robots.txt", ""}, {"/sitemap.xml", urlset({{"https://www.example.com/s", ""}})}}, kSite,
       Outcome::Ready, {"warning: there is no robots.txt (HTTP 404)", "ok: 1 URL of www.example.com found"}},
      {"no home page", {{"/", ""}}, kSite, Outcome::NotReady, {"error: the home page answers HTTP 404"}},
      {"key not published", {{"/KEY", ""}}, kSite, Outcome::NotReady, {"is not there (HTTP 404): publish a text file there holding"}},
      {"other key", {{"/KEY", "something else"}}, kSite, Outcome::NotReady, {"holds \"something else\" instead of the key"}},
  };
  for (const Case& c : cases) {
    ReadySite ready;
    for (const auto& [path, body] : c.changes) {
      const std::string p = path == "/KEY" ? "/" + ready.state.key + ".txt" : path;
      if (body.empty()) ready.site.files.erase(p);
      else ready.site.files[p] = body;
    }
    AnnounceOptions options;
    options.website = c.website;
    options.checkOnly = true;
    AnnounceResult result = runAnnouncement(ready.state, options, RunHooks{});
    EXPECT_EQ(result.outcome, c.outcome) << c.name << "\n" << joined(result.report);
    const std::string text = joined(result.report);
    for (const std::string& line : c.lines) EXPECT_NE(text.find(line), std::string::npos) << c.name << ": " << line << "\n" << text;
    EXPECT_TRUE(ready.site.received().empty()) << c.name;
  }
}

TEST(Announce, AllThenOnlyWhatChangedRecordedInTheProject) {
  ReadySite ready;
  AnnounceOptions options;
  options.website = kSite;
  RecordedWaits waits;
  RunHooks hooks = waits.hooks();
  hooks.now = [] { return std::chrono::system_clock::from_time_t(1714564800); };  // 2024-05-01 12:00 UTC

  AnnounceResult first = runAnnouncement(ready.state, options, hooks);
  ASSERT_EQ(first.outcome, Outcome::Announced) << first.message << "\n" << joined(first.report);
  EXPECT_EQ(first.urlsSent, 4u);
  ASSERT_EQ(ready.site.received().size(), 1u);
  const test::ReceivedRequest sent = ready.site.received()[0];
  EXPECT_EQ(sent.problem, "");
  EXPECT_EQ(sent.method, "POST");
  EXPECT_EQ(sent.body["host"], "www.example.com");
  EXPECT_EQ(sent.body["key"], ready.state.key);
  EXPECT_EQ(sent.body["keyLocation"], "https://www.example.com/" + ready.state.key + ".txt");
  EXPECT_EQ(sent.body["urlList"].size(), 4u);
  ASSERT_EQ(ready.state.log.size(), 1u);
  EXPECT_EQ(ready.state.log[0], (core::AnnounceLogEntry{"2024-05-01T12:00:00Z", "https://api.indexnow.org/indexnow", 4,
                                                        200, "OK: the URLs were received."}));
  EXPECT_EQ(ready.state.announced.at("https://www.example.com/one"), "2024-05-02");

  struct Step {
    std::string name;
    std::string sitemapB;  // new content of b.xml
    std::size_t requests;  // received so far
    std::size_t sentNow;
    std::string message;
  } steps[] = {
      {"nothing changed", ready.site.files["/b.xml"], 1, 0, "nothing changed"},
      {"one lastmod changed", urlset({{"https://WWW.EXAMPLE.COM/two", ""}, {"http://www.example.com/three", "2024-06-01"}}), 2, 1,
       "1 URL announced"},
      {"one page added", urlset({{"https://WWW.EXAMPLE.COM/two", ""}, {"http://www.example.com/three", "2024-06-01"},
                                 {"https://www.example.com/four", ""}, {"https://www.example.com/five", ""}}), 3, 2,
       "2 URLs announced"},
  };
  options.changedOnly = true;
  for (const Step& s : steps) {
    ready.site.setFile("/b.xml", s.sitemapB);
    AnnounceResult again = runAnnouncement(ready.state, options, hooks);
    EXPECT_EQ(again.outcome, Outcome::Announced) << s.name;
    EXPECT_EQ(again.urlsSent, s.sentNow) << s.name;
    EXPECT_NE(again.message.find(s.message), std::string::npos) << s.name << ": " << again.message;
    EXPECT_EQ(ready.site.received().size(), s.requests) << s.name;
  }
  const auto received = ready.site.received();
  EXPECT_EQ(received[1].method, "GET");
  EXPECT_EQ(received[1].url, "http://www.example.com/three");
  EXPECT_EQ(received[1].key, ready.state.key);
  EXPECT_EQ(ready.state.log.size(), 3u);
}

TEST(Announce, AListOfUrlsGoesInRequestsOfAtMostTenThousandAndARefusalEndsTheRun) {
  struct Case {
    std::size_t urls;
    std::vector<EndpointAnswer> answers;
    Outcome outcome;
    std::vector<std::size_t> requestSizes;
    std::size_t remembered;
  } cases[] = {
      {10001, {}, Outcome::Announced, {10000, 1}, 10001},
      {20000, {{200, ""}, {403, ""}}, Outcome::Failed, {10000, 10000}, 10000},
      {3, {{422, ""}}, Outcome::Failed, {3}, 0},
  };
  for (const Case& c : cases) {
    ReadySite ready;
    ready.site.queue(c.answers);
    test::TempDir dir;
    const std::filesystem::path list = dir.path() / "urls.txt";
    {
      std::ofstream out(list);
      out << "# pages\n\nhttps://elsewhere.example.org/x\n";
      for (std::size_t i = 0; i < c.urls; ++i) out << "https://www.example.com/p" << i << "\n";
    }
    AnnounceOptions options;
    options.website = kSite;
    options.urlFile = list;
    AnnounceResult result = runAnnouncement(ready.state, options, RunHooks{});
    EXPECT_EQ(result.outcome, c.outcome) << c.urls << ": " << result.message;
    std::vector<std::size_t> sizes;
    for (const auto& r : ready.site.received()) sizes.push_back(r.method == "GET" ? 1 : r.body["urlList"].size());
    EXPECT_EQ(sizes, c.requestSizes) << c.urls;
    EXPECT_EQ(ready.state.announced.size(), c.remembered) << c.urls;
    EXPECT_EQ(ready.state.log.size(), c.requestSizes.size()) << c.urls;
  }
}

TEST(Announce, AUrlListMustBeARegularFile) {
  ReadySite ready;
  test::TempDir dir;
  AnnounceOptions options;
  options.website = kSite;
  options.urlFile = dir.path();
  options.checkOnly = true;
  AnnounceResult result = runAnnouncement(ready.state, options, RunHooks{});
  EXPECT_EQ(result.outcome, Outcome::NotReady);
  EXPECT_TRUE(ready.site.received().empty());
}

}  // namespace
}  // namespace larkspur::announce
