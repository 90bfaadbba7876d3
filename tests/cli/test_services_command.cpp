// larkspur-cli services, links search from Bing Webmaster Tools and links
// update with Open PageRank, end to end against the fake services; no key
// may show in anything the runs print or write.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/rc4.h"
#include "tests/cli/run_cli.h"
#include "tests/support/fake_services.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

constexpr char kBingKey[] = "bing-key-0123456789abcdef";
constexpr char kPageRankKey[] = "opr-key-0123456789abcdef";

class CliServicesTest : public ::testing::Test {
 protected:
  CliServicesTest() {
    setenv("no_proxy", "*", 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    fake.backlinks = {
        {"http://www.mysite.example/", {{"http://a.example/1", "Alpha"}, {"http://b.example/2", "Beta"}}}};
    fake.ranks = {{"a.example", 6}};
    EXPECT_TRUE(fake.start());
    EXPECT_EQ(run({"new", project, "--url", "http://www.mysite.example/"}).exitCode, 0);
  }
  ~CliServicesTest() override {
    for (const char* name : {"XDG_CONFIG_HOME", "LARKSPUR_BING_WEBMASTER_KEY", "LARKSPUR_OPEN_PAGERANK_KEY"}) unsetenv(name);
  }

  CliResult run(const std::vector<std::string>& args) {
    CliResult result = runCli(args);
    printed += result.out + result.err;
    return result;
  }
  std::filesystem::perms keyFileMode() const { return std::filesystem::status(keyFile).permissions(); }
  // Every file under `folder`, and the project deciphered, as one text.
  static std::string everyFile(const std::filesystem::path& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::string bytes = readFile(entry.path());
      all += bytes;
      core::rc4Storage(std::span(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()));
      all += bytes;
    }
    return all;
  }

  TempDir config;
  const std::filesystem::path keyFile = config.path() / "NORVELLA" / "Larkspur" / "service-keys";
  TempDir dir;
  std::string project = dir.file("site.lkr").string();
  FakeKeyServices fake{kBingKey, kPageRankKey};
  std::string printed;
};

TEST_F(CliServicesTest, KeysAreSetShownMaskedClearedAndKeptInAFileOnlyTheUserReads) {
  EXPECT_NE(run({"services", "show"}).out.find("bing-webmaster: not set"), std::string::npos);
  const auto privateMode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
  ASSERT_EQ(run({"services", "set", "bing-webmaster", kBingKey}).exitCode, 0);
  EXPECT_EQ(keyFileMode(), privateMode);

  std::filesystem::permissions(keyFile, std::filesystem::perms::group_read, std::filesystem::perm_options::add);
  const CliResult shown = run({"services", "show"});
  EXPECT_NE(shown.out.find("bing-webmaster: bing\u2026cdef (from the key file)"), std::string::npos) << shown.out;
  EXPECT_NE(shown.err.find("readable by you alone (mode 0600)"), std::string::npos) << shown.err;
  EXPECT_EQ(keyFileMode(), privateMode);

  setenv("LARKSPUR_OPEN_PAGERANK_KEY", kPageRankKey, 1);
  EXPECT_NE(run({"services", "show"}).out.find("open-pagerank: opr-\u2026cdef (from LARKSPUR_OPEN_PAGERANK_KEY)"),
            std::string::npos);
  EXPECT_EQ(run({"services", "set", "open-pagerank", "two words"}).exitCode, 2);
  EXPECT_EQ(run({"services", "set", "elsewhere", kBingKey}).exitCode, 2);
  ASSERT_EQ(run({"services", "clear", "bing-webmaster"}).exitCode, 0);
  EXPECT_NE(run({"services", "show"}).out.find("bing-webmaster: not set"), std::string::npos);
  EXPECT_EQ(printed.find(kBingKey), std::string::npos) << printed;
  EXPECT_EQ(printed.find(kPageRankKey), std::string::npos) << printed;
}

TEST_F(CliServicesTest, BacklinksFromBingWebmasterAndRanksFromOpenPageRankWithoutAKeyInAnyOutput) {
  const std::string base = fake.baseUrl();
  const CliResult keyless = run({"links", "search", project, "--source", "bing-webmaster", "--service-base", base});
  EXPECT_EQ(keyless.exitCode, 2);
  EXPECT_NE(keyless.err.find("services set bing-webmaster KEY"), std::string::npos) << keyless.err;

  setenv("LARKSPUR_BING_WEBMASTER_KEY", "not-the-key-at-all", 1);
  const CliResult refused = run({"links", "search", project, "--service-base", base});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("The Bing Webmaster Tools key was refused."), std::string::npos) << refused.err;

  setenv("LARKSPUR_BING_WEBMASTER_KEY", kBingKey, 1);
  const CliResult found = run({"links", "search", project, "--source", "bing-webmaster", "--service-base", base});
  ASSERT_EQ(found.exitCode, 0) << found.err;
  EXPECT_NE(found.out.find("found: http://a.example/1  anchor Alpha\n"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("2 new links, 2 in the list"), std::string::npos) << found.out;

  setenv("LARKSPUR_OPEN_PAGERANK_KEY", kPageRankKey, 1);
  const CliResult ranked = run({"links", "update", project, "--rank", "--service-base", base});
  ASSERT_EQ(ranked.exitCode, 0) << ranked.err;
  EXPECT_NE(ranked.out.find("updated: http://a.example/1  rank 6"), std::string::npos) << ranked.out;
  EXPECT_EQ(fake.pageRankRequests.load(), 1);

  // What else is written from the project: a report, an export.
  EXPECT_EQ(run({"report", project, "--output", dir.file("report.htm").string()}).exitCode, 0);
  EXPECT_EQ(run({"links", "export", project, dir.file("links.html").string()}).exitCode, 0);
  const std::string written = everyFile(dir.path()) + everyFile(config.path());
  for (const char* key : {kBingKey, kPageRankKey}) {
    EXPECT_EQ(printed.find(key), std::string::npos) << key;
    EXPECT_EQ(written.find(key), std::string::npos) << key;
  }
}

}  // namespace
}  // namespace larkspur::test
