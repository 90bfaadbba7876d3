#include "reports/links_report.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "reports/report_time.h"
#include "tests/support/local_server.h"
#include "tests/support/silent_port.h"
#include "tests/support/temp_dir.h"

namespace larkspur::reports {
namespace {

constexpr char kSite[] = "http://www.mysite.example/";

std::tm march5() {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_wday = 2;
  t.tm_hour = 9;
  t.tm_min = 7;
  return t;
}

TEST(LinksReportText, ExactBytesWithEscapedTextsAndCrLf) {
  const std::vector<LinksReportRow> rows{
      {"http://a.example/p?x=1&y=2", "OK", "A <b>\"quoted\"</b>", "3"},
      {"http://b.example/", "Link URL Removed!", "", "-1"},
      {"http://c.example/", "Couldn't connect to server", "line1\nline2", "0"},
  };
  const std::string expected =
      "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\r\n"
      "\r\n"
      "<html xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
      "\t\t\t   <head><title></title></head><body>\r\n"
      "\r\n"
      "<p align=\"center\" ><font face=\"Arial\" size=\"2\">http://www.mysite.example/  Tuesday, March 05, 2024"
      "</font></p><br><br><TABLE id=srcTb WIDTH=\"85%\" BORDER=1 CELLSPACING=1 CELLPADDING=1>\r\n"
      "<tr><td >Link URL</td><td >Link Title</td><td >Page Rank</td><td >State</td></tr>\r\n"
      "<tr><td ><a href=\"http://a.example/p?x=1&amp;y=2\">http://a.example/p?x=1&amp;y=2</a></td>"
      "<td >A &lt;b&gt;&quot;quoted&quot;&lt;/b&gt;</td><td >3</td><td >OK</td></tr>\r\n"
      "<tr><td ><a href=\"http://b.example/\">http://b.example/</a></td><td >&nbsp;</td><td >-1</td>"
      "<td >Link URL Removed!</td></tr>\r\n"
      "<tr><td ><a href=\"http://c.example/\">http://c.example/</a></td><td >line1\r\nline2</td><td >0</td>"
      "<td >Couldn't connect to server</td></tr>\r\n"
      "</body></html>";
  EXPECT_EQ(linksReportText(kSite, rows, march5()), expected);
}

TEST(LinksReportText, OnlyWebAddressesBecomeLinks) {
  struct Case {
    const char* url;
    const char* cell;
  } cases[] = {
      {"HTTPS://a.example/", "<a href=\"HTTPS://a.example/\">HTTPS://a.example/</a>"},
      {"javascript:alert(document.domain)//", "javascript:alert(document.domain)//"},
      {"data:text/html,<script>", "data:text/html,&lt;script&gt;"},
      {" http://a.example/", " http://a.example/"},
  };
  for (const Case& c : cases) {
    const std::vector<LinksReportRow> rows{{c.url, "OK", "", "0"}};
    const std::string text = linksReportText(kSite, rows, march5());
    EXPECT_NE(text.find(std::string("<tr><td >") + c.cell + "</td>"), std::string::npos) << c.url << "\n" << text;
  }
}

TEST(LinksReportText, AnEmptyListGivesTheHeaderRowOnly) {
  const std::string text = linksReportText("http://a/?b&c", {}, march5());
  EXPECT_NE(text.find("http://a/?b&amp;c  Tuesday"), std::string::npos);
  EXPECT_NE(text.find("CELLPADDING=1>\r\n<tr><td >Link URL</td><td >Link Title</td><td >Page Rank</td>"
                      "<td >State</td></tr>\r\n</body></html>"),
            std::string::npos);
}

TEST(LinksReportText, LostLinksAndLinksThatDoNotCountFollowTheTable) {
  core::LinkDetails lost, uncounted, counted;
  lost.linkFound = core::Known::kNo;
  lost.lostSince = "2024-03-05T09:07:00Z";
  uncounted.linkFound = counted.linkFound = counted.indexable = core::Known::kYes;
  uncounted.rel = "nofollow ugc";
  uncounted.indexable = core::Known::kNo;
  uncounted.notIndexableBy = "robots.txt";
  LinksReportSections sections;
  addToSections(sections, "http://a.example/", lost);
  addToSections(sections, "http://b.example/?x&y", uncounted);
  addToSections(sections, "http://c.example/", counted);
  const std::vector<LinksReportRow> rows{{"http://c.example/", "OK", "", "0"}};
  EXPECT_NE(linksReportText(kSite, rows, sections, march5())
                .find("<td >OK</td></tr>\r\n</TABLE>\r\n"
                      "<br><p><font face=\"Arial\" size=\"2\"><b>Lost links</b></font></p>\r\n"
                      "<TABLE WIDTH=\"85%\" BORDER=1 CELLSPACING=1 CELLPADDING=1>\r\n"
                      "<tr><td >Link URL</td><td >Lost Since</td></tr>\r\n"
                      "<tr><td ><a href=\"http://a.example/\">http://a.example/</a></td>"
                      "<td >2024-03-05T09:07:00Z</td></tr>\r\n</TABLE>\r\n"
                      "<br><p><font face=\"Arial\" size=\"2\"><b>Links that do not count</b></font></p>\r\n"
                      "<TABLE WIDTH=\"85%\" BORDER=1 CELLSPACING=1 CELLPADDING=1>\r\n"
                      "<tr><td >Link URL</td><td >Why</td></tr>\r\n"
                      "<tr><td ><a href=\"http://b.example/?x&amp;y\">http://b.example/?x&amp;y</a></td>"
                      "<td >nofollow ugc, not indexable: robots.txt</td></tr>\r\n</TABLE>\r\n</body></html>"),
            std::string::npos)
      << linksReportText(kSite, rows, sections, march5());
}

TEST(LinksReport, ProposedNameAndTheUrlSearch) {
  EXPECT_EQ(proposedLinksReportName(kSite, march5()), "www.mysite.example-2024-03-05.html");
  EXPECT_EQ(proposedLinksReportName("no host", march5()), "-2024-03-05.html");

  struct Case {
    std::string text;
    std::string needle;
    bool found;
  };
  const Case cases[] = {
      {"<a href=\"HTTP://WWW.MYSITE.EXAMPLE/\">", kSite, true},
      {"<a href=\"https://www.mysite.example/\">", kSite, false},
      {"<a href=\"http://mysite.example/\">", kSite, false},
      {"<a href=\"http://www.mysite.example\">", kSite, false},
      {"http://www.mysite.example/sub", kSite, true},
      {"caf\xc3\xa9", "CAF\xc3\x89", false},  // only A to Z fold
      {"CAF\xc3\xa9", "caf\xc3\xa9", true},
      {std::string("x\0http://www.mysite.example/", 28), kSite, true},
      {"anything", "", false},
      {"", kSite, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(linkState(web::kFetchComplete, "", c.text, c.needle), c.found ? "OK" : "Link URL Removed!") << c.text;
  }
  EXPECT_EQ(linkState(web::kFetchConnectFailed, "", "", kSite), "Connect the Url error!");
  EXPECT_EQ(linkState(web::kFetchSendFailed, "Timeout was reached", "", kSite), "Timeout was reached");
}

// Pages that link to the site, in every way that does and does not count.
class LinksReportTest : public ::testing::Test {
 protected:
  LinksReportTest() {
    setenv("no_proxy", "*", 1);
    auto page = [](const std::string& body, int status = 200) {
      return [body, status](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_content(body, "text/html");
      };
    };
    server_.get("/other-case", [this](const httplib::Request&, httplib::Response& res) {
      if (stopOnFirst_) coordination_.stop.set();
      res.set_content("<a href=\"HTTP://WWW.MYSITE.EXAMPLE/\">My site</a>", "text/html");
    });
    server_.get("/other-scheme", page("<a href=\"https://www.mysite.example/\">My site</a>"));
    server_.get("/other-prefix", page("<a href=\"http://mysite.example/\">My site</a>"));
    server_.get("/missing", page("<h1>Not Found</h1>", 404));
    server_.get("/missing-but-linked", page("gone, see http://www.mysite.example/", 404));
    options_.fetch.stallTimeout = std::chrono::milliseconds(300);
    options_.fetch.offlineCheck = [](std::string_view host) { return host == "offline.example"; };
    options_.clock = [] { return std::time_t(1709629620); };
  }

  void add(const std::string& url, const std::string& title = "", int32_t rank = 0) {
    core::LinkRecord r{};
    r.url = url;
    r.link_text = title;
    r.page_rank = rank;
    links_.append(r);
  }

  test::LocalServer server_;
  test::TempDir dir_;
  core::LinkList links_;
  core::Coordination coordination_;
  LinksReportOptions options_;
  bool stopOnFirst_ = false;
};

TEST_F(LinksReportTest, EachLinkGetsItsStateAndTheReportIsWritten) {
  ASSERT_TRUE(server_.start());
  test::SilentPort silent;
  add(server_.url("/other-case"), "Other case", 4);
  add(server_.url("/other-scheme"), "", -1);
  add(server_.url("/other-prefix"));
  add(server_.url("/missing"));
  add(server_.url("/missing-but-linked"));
  add(silent.baseUrl() + "/never-answers");
  add("http://127.0.0.1:" + std::to_string(test::unusedLocalPort()) + "/refused");
  add("http://offline.example/");

  std::vector<std::size_t> progress;
  int32_t mostWorkers = 0;
  options_.onChecked = [&](std::size_t n) {
    progress.push_back(n);
    mostWorkers = std::max(mostWorkers, coordination_.workers.value());
  };
  const auto path = dir_.file("report.html");
  LinksReportResult result = runLinksReport(links_, kSite, path, coordination_, options_);
  EXPECT_TRUE(result.written);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(checkEndText(coordination_.stop.isSet()), "Check complete!");
  ASSERT_EQ(result.rows.size(), 8u);
  EXPECT_EQ(progress.size(), 8u);

  EXPECT_EQ(result.rows[0].state, "OK");
  EXPECT_EQ(result.rows[0].title, "Other case");
  EXPECT_EQ(result.rows[0].pageRank, "4");
  EXPECT_EQ(result.rows[1].state, "Link URL Removed!");
  EXPECT_EQ(result.rows[1].pageRank, "-1");
  EXPECT_EQ(result.rows[2].state, "Link URL Removed!");
  EXPECT_EQ(result.rows[3].state, "Link URL Removed!");
  EXPECT_EQ(result.rows[4].state, "OK");  // an error page is still a page
  EXPECT_EQ(result.rows[5].state, curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));
  EXPECT_NE(result.rows[6].state.find("connect"), std::string::npos) << result.rows[6].state;
  EXPECT_EQ(result.rows[7].state, "Connect the Url error!");

  const std::string file = test::readFile(path);
  EXPECT_EQ(file, linksReportText(kSite, result.rows, localTime(1709629620)));
  EXPECT_NE(file.find("<td >&nbsp;</td><td >-1</td><td >Link URL Removed!</td></tr>\r\n"), std::string::npos);
  // The thread that runs the walk counts it; the walk itself does not count
  // again (that took two of the batch's five places).
  EXPECT_EQ(mostWorkers, 0);
  EXPECT_EQ(coordination_.workers.value(), 0);
}

TEST_F(LinksReportTest, StopWritesTheLinksCheckedSoFar) {
  stopOnFirst_ = true;  // set while the second link's page is being sent
  options_.jobs = 1;    // one page at a time: the first is checked before the second starts
  ASSERT_TRUE(server_.start());
  add(server_.url("/other-scheme"));
  add(server_.url("/other-case"));
  add(server_.url("/other-prefix"));
  const auto path = dir_.file("report.html");
  LinksReportResult result = runLinksReport(links_, kSite, path, coordination_, options_);
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(result.written);
  ASSERT_EQ(result.rows.size(), 1u);
  EXPECT_EQ(result.rows[0].state, "Link URL Removed!");
  EXPECT_EQ(checkEndText(coordination_.stop.isSet()), "Check canceled!");
  // The link whose check Stop cut short is left out, and so is the rest.
  EXPECT_EQ(test::readFile(path).find("other-case"), std::string::npos);
  EXPECT_EQ(test::readFile(path).find("other-prefix"), std::string::npos);
}

TEST_F(LinksReportTest, StopCutsTheCheckOfASilentPageShortAndLeavesItOut) {
  ASSERT_TRUE(server_.start());
  test::SilentPort silent;
  add(server_.url("/other-case"));
  add(silent.baseUrl() + "/never-answers");
  add(server_.url("/other-scheme"));
  options_.fetch.stallTimeout = std::chrono::seconds(60);
  std::thread stopper([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    coordination_.stop.set();
  });
  const auto began = std::chrono::steady_clock::now();
  LinksReportResult result = runLinksReport(links_, kSite, dir_.file("report.html"), coordination_, options_);
  const auto took = std::chrono::steady_clock::now() - began;
  stopper.join();
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(result.written);
  ASSERT_EQ(result.rows.size(), 1u);
  EXPECT_EQ(result.rows[0].state, "OK");
}

TEST_F(LinksReportTest, AFileThatCannotBeCreatedIsNoReport) {
  LinksReportResult result = runLinksReport(links_, kSite, dir_.file("missing/report.html"), coordination_, options_);
  EXPECT_FALSE(result.written);
  EXPECT_TRUE(result.rows.empty());
}

}  // namespace
}  // namespace larkspur::reports
