// larkspur-cli announce against a local website and IndexNow endpoint: the
// exit codes scripts rely on, the key kept in the project, the announcement.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/announce_site.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

TEST(CliAnnounce, ExitCodesFollowTheKeyTheChecksAndTheEndpoint) {
  FakeSite site;
  site.files["/"] = "home";
  site.files["/robots.txt"] = "User-agent: *\nDisallow:\nSitemap: https://www.example.com/s.xml\n";
  site.files["/s.xml"] = urlset({{"https://www.example.com/", "2024-05-01"}, {"https://www.example.com/a", ""},
                                 {"https://other.example.org/", ""}});
  ASSERT_TRUE(site.start());
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "https://www.example.com/"}).exitCode, 0);
  const std::vector<std::string> base = {"--service-base", site.base()};

  // Unpublished key: not ready, and the key made is kept in the project.
  CliResult first = runCli({"announce", project, "--check", "--service-base", site.base()});
  EXPECT_EQ(first.exitCode, 3) << first.err;
  const std::size_t at = first.out.find("Made the key ");
  ASSERT_NE(at, std::string::npos) << first.out;
  const std::string made = first.out.substr(at + 13, 32);
  ASSERT_EQ(made.find_first_not_of("0123456789abcdef"), std::string::npos) << made;
  ASSERT_EQ(made.size(), 32u);
  EXPECT_NE(first.out.find("error: the key file https://www.example.com/" + made + ".txt is not there"), std::string::npos)
      << first.out;
  site.setFile("/" + made + ".txt", made + "\n");
  // A key file of another name: only --key-location finds it.
  const std::string ownKey = "https://www.example.com/own-key.txt";
  site.setFile("/own-key.txt", made);

  struct Step {
    std::vector<std::string> words;
    std::vector<EndpointAnswer> answers;
    int exitCode;
    std::string said;  // on stdout or stderr
    std::size_t requests;
    std::string keyLocation = {};  // named in the last request; not checked when empty
  } steps[] = {
      {{"--check"}, {}, 0, "ready: engines can be told about 2 URLs", 0},
      {{}, {}, 0, "2 URLs announced to IndexNow", 1, "https://www.example.com/" + made + ".txt"},
      {{"--changed-only"}, {}, 0, "nothing changed since the last announcement", 1},
      {{"--endpoint", "bing"}, {{403, ""}}, 1, "Bing did not take URLs 1 to 2: Forbidden", 2},
      {{"--key-location", ownKey}, {}, 0, "ok: the key file " + ownKey + " holds the key", 3, ownKey},
      {{"--key-location", "https://www.example.com/none.txt", "--check"}, {}, 3,
       "error: the key file https://www.example.com/none.txt is not there", 3},
      {{"--endpoint", "http://engine.example/"}, {}, 2, "https only", 3},
      {{"--sitemap", "https://www.example.com/s.xml", "--urls", "list.txt"}, {}, 2, "not both", 3},
      {{"--endpoint"}, {}, 2, "usage: larkspur-cli announce", 3},
  };
  for (const Step& s : steps) {
    std::vector<std::string> command = {"announce", project};
    command.insert(command.end(), s.words.begin(), s.words.end());
    command.insert(command.end(), base.begin(), base.end());
    site.queue(s.answers);
    CliResult r = runCli(command);
    SCOPED_TRACE(command.size() > 2 ? command[2] : "announce");
    EXPECT_EQ(r.exitCode, s.exitCode) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(s.said), std::string::npos) << r.out << r.err;
    EXPECT_EQ(site.received().size(), s.requests);
    if (!s.keyLocation.empty() && !site.received().empty()) {
      EXPECT_EQ(site.received().back().body.value("keyLocation", ""), s.keyLocation);
    }
  }
  // Its own usage text is printed as it is, line by line: on a usage error and for --help.
  for (const auto& words : {std::vector<std::string>{"announce"}, {"announce", "--help"}}) {
    const CliResult r = runCli(words);
    EXPECT_EQ(r.exitCode, words.size() == 1 ? 2 : 0);
    EXPECT_NE((r.out + r.err).find("[--changed-only]\n       [--endpoint NAME|URL]"), std::string::npos) << r.err;
  }
  // The same key is used on every run.
  for (const ReceivedRequest& r : site.received()) EXPECT_EQ(r.key, made);
  // show tells what the project keeps of it, without the key itself.
  const CliResult shown = runCli({"show", project, "--json"});
  const nlohmann::json announce = nlohmann::json::parse(shown.out)["announce"];
  EXPECT_TRUE(announce["key_set"].get<bool>());
  EXPECT_EQ(announce["announced"].size(), 2u);
  EXPECT_FALSE(announce["log"].empty());
  const std::string text = runCli({"show", project}).out;
  EXPECT_EQ((shown.out + text).find(made), std::string::npos);
  EXPECT_NE(text.find("Announced pages (2):"), std::string::npos) << text;
}

}  // namespace
}  // namespace larkspur::test
