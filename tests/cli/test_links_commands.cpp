#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/fixed_text.h"
#include "core/project.h"
#include "tests/cli/run_cli.h"
#include "tests/support/local_server.h"
#include "tests/support/silent_port.h"
#include "tests/support/temp_dir.h"


namespace larkspur::test {
namespace {

class CliLinksTest : public ::testing::Test {
 protected:
  CliLinksTest() {
    setenv("no_proxy", "*", 1);
    CliResult created = runCli({"new", project, "--url", "http://www.mysite.example/"});
    EXPECT_EQ(created.exitCode, 0) << created.err;
  }

  nlohmann::json links() {
    CliResult r = runCli({"show", project, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return nlohmann::json::parse(r.out)["links"];
  }
  std::set<std::string> urls() {
    std::set<std::string> out;
    for (const auto& l : links()) out.insert(l["url"].get<std::string>());
    return out;
  }

  TempDir dir;
  std::string project = dir.file("site.lkr").string();
};

TEST_F(CliLinksTest, AddRefusesAddressesThatAreNotWebPagesAndShowPrintsNoControlCharacters) {
  for (const char* url : {"javascript:alert(document.domain)//http://x/", "data:text/html,x", "file:///etc/passwd"}) {
    CliResult refused = runCli({"links", "add", project, url});
    EXPECT_EQ(refused.exitCode, 1) << url;
    EXPECT_NE(refused.err.find("http:// or https://"), std::string::npos) << refused.err;
  }
  // A project written before texts were checked may hold control
  // characters: show prints them as visible symbols.
  const std::string title = "Evil\x1b]0;owned\x07\x1b[2J title";
  {
    core::Project p;
    ASSERT_TRUE(p.open(project).ok());
    core::LinkRecord r{};
    r.url.assign("http://a.example/\x1b[31m");
    r.link_text.assign(title);
    p.links.append(r);
    ASSERT_TRUE(p.save(project).ok());
  }
  CliResult shown = runCli({"show", project});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.out.find('\x1b'), std::string::npos) << shown.out;
  EXPECT_EQ(shown.out.find('\x07'), std::string::npos);
  EXPECT_NE(shown.out.find("Evil\u241B]0;owned"), std::string::npos) << shown.out;
  EXPECT_EQ(links()[0]["title"].get<std::string>(), title);
}

// Text given on the command line must be valid UTF-8 without control
// characters (the long description may hold line breaks and tabs); the
// field is named, nothing is stored. An imported line that is not text is
// left out and counted.
TEST_F(CliLinksTest, TextThatIsNotCleanUtf8IsRefusedOrLeftOut) {
  struct Case {
    std::vector<std::string> args;
    const char* said;  // empty: accepted
  } cases[] = {
      {{"set", project, "--email", "\xff\xfe"}, "--email is not valid UTF-8"},
      {{"set", project, "--title", "Tab\there"}, "--title holds a control character (U+0009)"},
      {{"set", project, "--long-description", "Two\nlines\twith a tab"}, ""},
      {{"set", project, "--long-description", "bell\x07"}, "--long-description holds a control character (U+0007)"},
      {{"links", "add", project, "http://a.example/\x1b[31m"}, "Link URL holds a control character (U+001B)"},
      {{"links", "add", project, "http://a.example/", "--note", "caf\xe9"}, "Note is not valid UTF-8"},
      {{"links", "add", project, "http://b.example/", "--title", "Caf\xc3\xa9"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[2]);
    const CliResult r = runCli(c.args);
    EXPECT_EQ(r.exitCode == 0, std::string(c.said).empty()) << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  }
  EXPECT_EQ(urls(), (std::set<std::string>{"http://b.example/"}));
  writeFile(dir.file("list.txt"), "http://c.example/\nhttp://d.example/\x1b[2J\nhttp://e.example/\xff\n");
  const CliResult imported = runCli({"links", "import", project, dir.file("list.txt").string()});
  EXPECT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_NE(imported.err.find("2 lines were left out"), std::string::npos) << imported.err;
  EXPECT_EQ(urls(), (std::set<std::string>{"http://b.example/", "http://c.example/"}));
}

TEST_F(CliLinksTest, ImportAddDeleteAndExport) {
  writeFile(dir.file("in.txt"), "http://a.example/\nno address\n  HTTP://B.EXAMPLE/ \r\n");
  CliResult imported = runCli({"links", "import", project, dir.file("in.txt").string()});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.out, "Imported 2 links (2 in the list)\n");
  CliResult missing = runCli({"links", "import", project, dir.file("none.txt").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("Open import file error! "), std::string::npos) << missing.err;

  CliResult added = runCli({"links", "add", project, "http://c.example/", "--title", "C, \"quoted\"", "--email",
                            "x@c.example", "--contact", "Cee", "--note", "asked for a swap"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  nlohmann::json all = links();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1]["url"], "HTTP://B.EXAMPLE/");
  EXPECT_EQ(all[2]["title"], "C, \"quoted\"");
  EXPECT_EQ(all[2]["email"], "x@c.example");
  EXPECT_EQ(all[2]["contact"], "Cee");
  EXPECT_EQ(all[2]["note"], "asked for a swap");
  EXPECT_NE(runCli({"show", project}).out.find("note \"asked for a swap\""), std::string::npos);
  EXPECT_GT(all[2]["added"].get<int64_t>(), 0);

  CliResult empty = runCli({"links", "add", project, ""});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_NE(empty.err.find("Please input the Link URL!"), std::string::npos) << empty.err;
  CliResult tooLong = runCli({"links", "add", project, "http://d.example/", "--email", std::string(64, 'e')});
  EXPECT_EQ(tooLong.exitCode, 1);
  EXPECT_NE(tooLong.err.find("Please enter no more than 63 characters."), std::string::npos) << tooLong.err;

  CliResult deleted = runCli({"links", "delete", project, "http://a.example/"});
  ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
  EXPECT_EQ(urls(), (std::set<std::string>{"HTTP://B.EXAMPLE/", "http://c.example/"}));
  EXPECT_EQ(runCli({"links", "delete", project, "http://a.example/"}).exitCode, 1);

  // The default view: the Link URL and Rank columns.
  const std::string txt = dir.file("out.txt").string();
  CliResult exported = runCli({"links", "export", project, txt});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_EQ(readFile(txt), "Link URL,Rank\r\nHTTP://B.EXAMPLE/,0\r\nhttp://c.example/,0\r\n");
  const std::string htm = dir.file("out.HTM").string();
  ASSERT_EQ(runCli({"links", "export", project, htm}).exitCode, 0);
  EXPECT_EQ(readFile(htm),
            "<table border=\"1\"><tr><td>Link URL</td><td>Rank</td></tr><tr><td>HTTP://B.EXAMPLE/</td><td>0</td></tr>"
            "<tr><td>http://c.example/</td><td>0</td></tr></table>");
  const std::string xls = dir.file("out.xls").string();
  ASSERT_EQ(runCli({"links", "export", project, xls}).exitCode, 0);
  EXPECT_EQ(readFile(xls).substr(0, 2), "PK");
  CliResult failed = runCli({"links", "export", project, dir.file("no/dir.xml").string()});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.err.find("Create file error!"), std::string::npos);
}

// A Search Console export, then a backlink tool's file naming the same page:
// the page is added once and gets the details of both; show prints them.
TEST_F(CliLinksTest, ImportOfBacklinkExportsKeepsTheirDetails) {
  writeFile(dir.file("Latest links.csv"),
            "Linking page,Last crawled\r\nhttps://a.example/post,2024-05-01\r\nhttps://b.example/,2024-04-02\r\n");
  const CliResult first = runCli({"links", "import", project, dir.file("Latest links.csv").string()});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, "Read 2 rows: 2 added.\n");
  writeFile(dir.file("tool.csv"),
            "Source url,Target url,Anchor,Nofollow,First seen,Last seen\n"
            "https://a.example/post,https://mysite.example/,Great tool,true,2023-01-01,2024-06-01\n"
            "https://c.example/,https://elsewhere.example/,x,false,,\n");
  const CliResult second = runCli({"links", "import", project, dir.file("tool.csv").string()});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.out,
            "Read 2 rows: 0 added, 1 already in the list, 1 left out (1 links to another site). 1 link already in "
            "the list got its missing details from the file.\n");

  const nlohmann::json all = links();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]["url"], "https://a.example/post");
  EXPECT_EQ(all[0]["anchor"], "Great tool");
  EXPECT_EQ(all[0]["rel"], "nofollow");
  EXPECT_EQ(all[0]["first_seen"], "2023-01-01");
  EXPECT_EQ(all[0]["last_seen"], "2024-05-01");
  EXPECT_EQ(all[0]["site"], false);
  EXPECT_EQ(all[1]["last_seen"], "2024-04-02");
  const CliResult shown = runCli({"show", project});
  EXPECT_NE(shown.out.find("https://a.example/post  rank 0  anchor \"Great tool\"  rel nofollow  first seen "
                           "2023-01-01  last seen 2024-05-01\n"),
            std::string::npos)
      << shown.out;
}

// What the last check found: exported with --details in every format, and
// shown in a block of its own.
TEST_F(CliLinksTest, ExportDetailsAndShowWhatTheLastCheckFound) {
  {
    core::Project p;
    ASSERT_TRUE(p.open(project).ok());
    core::LinkRecord checked{};
    checked.url = "http://a.example/";
    core::LinkDetails& d = checked.details;
    d.httpStatus = 200;
    d.finalUrl = "http://a.example/final";
    d.linkFound = core::Known::kYes;
    d.anchor = "Hi, there";
    d.rel = "nofollow";
    d.indexable = core::Known::kNo;
    d.notIndexableBy = "robots.txt";
    d.firstSeen = "2025-01-02";
    d.lastChecked = "2026-03-05T09:07:00Z";
    p.links.append(checked);
    core::LinkRecord never{};
    never.url = "http://b.example/";
    p.links.append(never);
    ASSERT_TRUE(p.save(project).ok());
  }
  const std::string txt = dir.file("d.txt").string();
  ASSERT_EQ(runCli({"links", "export", project, txt, "--details"}).exitCode, 0);
  EXPECT_EQ(readFile(txt),
            "Link URL,Rank,HTTP Status,Final URL,Link Found,Anchor,Rel,Indexable,First Seen,Last Checked,Lost Since\r\n"
            "http://a.example/,0,200,http://a.example/final,Yes,\"Hi, there\",nofollow,No (robots.txt),2025-01-02,"
            "2026-03-05T09:07:00Z,\r\n"
            "http://b.example/,0,,,,,,,,,\r\n");
  for (const char* name : {"d.html", "d.xml", "d.xlsx"}) {
    const std::string file = dir.file(name).string();
    ASSERT_EQ(runCli({"links", "export", project, file, "--details"}).exitCode, 0) << name;
    std::string text = readFile(file);
    if (text.starts_with("PK")) {
      const std::string strings = dir.file("strings.xml").string();
      ASSERT_EQ(std::system(("python3 -c 'import zipfile,sys; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1])"
                             ".read(\"xl/sharedStrings.xml\"))' " + file + " > " + strings).c_str()), 0);
      text = readFile(strings);
    }
    for (const char* cell : {"Final", "Lost", "No (robots.txt)", "2026-03-05T09:07:00Z"}) {
      EXPECT_NE(text.find(cell), std::string::npos) << name << ": " << cell;
    }
  }

  EXPECT_NE(runCli({"show", project}).out.find(
                "http://a.example/  rank 0  anchor \"Hi, there\"  rel nofollow  first seen 2025-01-02\n"
                "    checked 2026-03-05T09:07:00Z  status 200  link found yes  indexable no "
                "(robots.txt)  final http://a.example/final\nhttp://b.example/  rank 0\n"),
            std::string::npos);
  const nlohmann::json all = links();
  EXPECT_EQ(all[0]["check"], nlohmann::json::parse(R"({"last_checked": "2026-03-05T09:07:00Z", "status": 200,
      "final_url": "http://a.example/final", "link_found": true, "indexable": false,
      "not_indexable_by": "robots.txt", "lost_since": ""})"));
  EXPECT_FALSE(all[1].contains("check"));
}

TEST_F(CliLinksTest, UsageErrors) {
  const std::vector<std::vector<std::string>> cases{
      {"links"},
      {"links", "frobnicate", project},
      {"links", "import", project},
      {"links", "search", project, "--colour"},
      {"links", "search", project, "--service-base", "ftp://127.0.0.1"},
      {"links", "update", project, "--ip=yes"},
      {"report"},
  };
  for (const auto& args : cases) {
    CliResult r = runCli(args);
    EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  }
}

// Google, Yahoo and the toolbar on one local server. Google's pages bring a
// new link each up to `googlePages`; Yahoo has one redirect link.
class FakeServices {
 public:
  explicit FakeServices(int googlePages) {
    server.get("/search", [this, googlePages](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("client")) {
        res.set_content("Rank_1:1:4", "text/plain");
        return;
      }
      if (req.get_param_value("q").rfind("link:", 0) != 0) {  // the e-mail search
        res.set_content("<p>Mail us at sales@<b>" + req.get_param_value("q") + "</b> any time you like", "text/html");
        return;
      }
      const int start = std::stoi(req.get_param_value("start"));
      {
        std::lock_guard<std::mutex> lock(mutex);
        ++googleRequests;
      }
      changed.notify_all();
      std::string body = "<a href='http://www.google.com/intl/'>Google</a>";
      if (start / 100 < googlePages) body += "<a href='http://g" + std::to_string(start) + ".example/'>G</a>";
      res.set_content(body, "text/html");
    });
    server.get("/advsearch", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<a href='http://rds.yahoo.com/_ylt=A/**http%3A//y.example/page'>Y</a>", "text/html");
    });
    EXPECT_TRUE(server.start());
  }

  // Waits until Google has been asked `n` times (or 20 s have passed).
  bool waitForGoogleRequests(int n) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20), [&] { return googleRequests >= n; });
  }

  LocalServer server;
  std::mutex mutex;
  std::condition_variable changed;
  int googleRequests = 0;
};

TEST_F(CliLinksTest, SearchFindsLinksAndSavesThem) {
  FakeServices services(2);
  CliResult r = runCli({"links", "search", project, "--service-base", services.server.baseUrl()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("found: http://g0.example/  rank 4\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("found: http://y.example/page  rank 4\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Search complete!\n3 new links, 3 in the list\n"), std::string::npos) << r.out;
  EXPECT_EQ(urls(), (std::set<std::string>{"http://g0.example/", "http://g100.example/", "http://y.example/page"}));

  // Nothing new the second time; the project is left as it was.
  CliResult again = runCli({"links", "search", project, "--service-base", services.server.baseUrl()});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("0 new links, 3 in the list"), std::string::npos) << again.out;

  // A website URL without a host is refused by `new`; an older project may
  // still hold one.
  EXPECT_EQ(runCli({"new", dir.file("nohost.lkr").string(), "--url", "www.mysite.example"}).exitCode, 1);
  core::Project old;
  old.newProject();
  core::copyText(old.profile.url, "www.mysite.example");
  old.profileChanged();
  ASSERT_TRUE(old.save(dir.file("nohost.lkr")).ok());
  CliResult refused = runCli({"links", "search", dir.file("nohost.lkr").string()});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("no host name"), std::string::npos) << refused.err;
}

TEST_F(CliLinksTest, CtrlCStopsTheSearchAndKeepsWhatWasFound) {
  FakeServices services(1000000);  // Google never runs out of new links
  RunningCli cli({"links", "search", project, "--service-base", services.server.baseUrl()});
  ASSERT_TRUE(cli.started());

  // Interrupt once the search is well under way.
  ASSERT_TRUE(services.waitForGoogleRequests(8));
  cli.interrupt();
  EXPECT_EQ(cli.waitExit(2500), 130) << "the search ends within a stop poll of Ctrl-C";
  const std::string out = cli.out();
  EXPECT_NE(out.find("Search canceled!\n"), std::string::npos) << out << cli.err();
  EXPECT_GE(urls().size(), 7u) << "the links found before Ctrl-C are saved";
}

TEST_F(CliLinksTest, UpdateAndCheck) {
  FakeServices services(0);
  // Pages that link to the site and one that does not.
  std::atomic<bool> linkTakenDown{false};
  services.server.get("/linking", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(linkTakenDown ? "friend" : "<a href='HTTP://WWW.MYSITE.EXAMPLE/'>friend</a>", "text/html");
  });
  services.server.get("/not-linking", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<a href='https://www.mysite.example/'>friend</a>", "text/html");
  });
  const std::string linking = services.server.url("/linking");
  const std::string notLinking = services.server.url("/not-linking");
  ASSERT_EQ(runCli({"links", "add", project, linking}).exitCode, 0);
  ASSERT_EQ(runCli({"links", "add", project, notLinking}).exitCode, 0);

  CliResult updated = runCli({"links", "update", project, "--rank", "--email", "--service-base",
                              services.server.baseUrl()});
  ASSERT_EQ(updated.exitCode, 0) << updated.err;
  EXPECT_NE(updated.out.find("Update complete!\n2 links changed\n"), std::string::npos) << updated.out;
  for (const auto& l : links()) {
    EXPECT_EQ(l["rank"], 4);
    EXPECT_EQ(l["email"], "sales@127.0.0.1");
    EXPECT_EQ(l["ip"], "");  // not asked for
  }
  CliResult unchanged = runCli({"links", "update", project, "--rank", "--service-base", services.server.baseUrl()});
  EXPECT_NE(unchanged.out.find("Update complete!\n0 links changed\n"), std::string::npos) << unchanged.out;

  const std::string report = dir.file("links-report.html").string();
  CliResult checked = runCli({"links", "check", project, "--output", report});
  ASSERT_EQ(checked.exitCode, 0) << checked.err;
  EXPECT_EQ(checked.out, "OK  " + linking + "\nLink URL Removed!  " + notLinking + "\nCheck complete!\nReport: " +
                             report + "\n");
  // What each page showed is kept in the project.
  EXPECT_EQ(links()[0]["check"]["link_found"], true);
  EXPECT_EQ(links()[1]["check"]["status"], 200);
  const std::string html = readFile(report);
  EXPECT_EQ(html.rfind("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\r\n", 0), 0u);
  EXPECT_NE(html.find("<td >4</td><td >Link URL Removed!</td></tr>\r\n</body></html>"), std::string::npos) << html;

  // The next check finds the link gone and says since when.
  linkTakenDown = true;
  checked = runCli({"links", "check", project, "--output", report});
  const std::string since = links()[0]["check"]["lost_since"];
  EXPECT_NE(checked.out.find("Lost since " + since + "  " + linking + "\nCheck complete!"), std::string::npos)
      << checked.out;
}

// A service that takes connections and never answers: 15 links are done in
// seconds, each silent service said once, and the stored values kept.
TEST_F(CliLinksTest, UpdateGivesUpASilentServiceAndSaysSoOnce) {
  SilentPort silent;
  for (int i = 0; i < 15; ++i) {
    ASSERT_EQ(runCli({"links", "add", project, "http://127.0.0.1/page" + std::to_string(i)}).exitCode, 0);
  }
  const auto began = std::chrono::steady_clock::now();
  const CliResult r =
      runCli({"links", "update", project, "--rank", "--email", "--time-out", "1", "--service-base", silent.baseUrl()});
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* sentence : {"The rank service does not answer: ranks left as they were.\n",
                               "The e-mail search does not answer: e-mail addresses left as they were.\n"}) {
    const std::size_t at = r.out.find(sentence);
    EXPECT_NE(at, std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(sentence, at + 1), std::string::npos) << "said once";
  }
  EXPECT_NE(r.out.find("0 links changed"), std::string::npos) << r.out;
  for (const auto& l : links()) EXPECT_EQ(l["email"], "");
}

}  // namespace
}  // namespace larkspur::test
