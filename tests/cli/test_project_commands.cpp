#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "core/project.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

class CliProjectTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.file("site.lkr").string();

  nlohmann::json showJson(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"show", file, "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    CliResult r = runCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return nlohmann::json::parse(r.out);
  }
};

TEST(Cli, HelpVersionAndUsageErrors) {
  CliResult help = runCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* word : {"new PROJECT.lkr", "set PROJECT.lkr", "show PROJECT.lkr", "targets"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  CliResult version = runCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("larkspur-cli ", 0), 0u);

  struct Case {
    std::vector<std::string> args;
    const char* message;
  } usage[] = {
      {{"frobnicate"}, "unknown command"},
      {{"new"}, "usage"},
      {{"new", "x.lkr"}, "--url"},
      {{"new", "x.lkr", "--url"}, "needs a value"},
      {{"show", "x.lkr", "--colour"}, "unknown option --colour"},
  };
  for (const Case& c : usage) {
    CliResult r = runCli(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args[0];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  }
}

TEST_F(CliProjectTest, NewSetAndShowKeepTheProfile) {
  writeFile(dir.file("pw"), "s3cret\n");
  CliResult created = runCli({"new", file, "--url", "http://www.example.com:8080/shop",
                              "--title", "My Shop", "--country", "Australia",
                              "--password-file", dir.file("pw").string()});
  ASSERT_EQ(created.exitCode, 0) << created.err;

  CliResult again = runCli({"new", file, "--url", "http://other/"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("already exists"), std::string::npos);

  CliResult set = runCli({"set", file, "--title=Garden & Shop", "--keywords", "roses, tulips"});
  ASSERT_EQ(set.exitCode, 0) << set.err;

  nlohmann::json doc = showJson();
  EXPECT_EQ(doc["profile"]["m_szurl"], "http://www.example.com:8080/shop");
  EXPECT_EQ(doc["profile"]["host"], "www.example.com");
  EXPECT_EQ(doc["profile"]["m_title"], "Garden & Shop");
  EXPECT_EQ(doc["profile"]["m_keyword"], "roses, tulips");
  EXPECT_EQ(doc["profile"]["m_country"], "Australia");
  EXPECT_EQ(doc["profile"]["m_password"], "********");
  EXPECT_EQ(showJson({"--show-password"})["profile"]["m_password"], "s3cret");
  ASSERT_EQ(doc["targets"].size(), 342u);
  EXPECT_EQ(doc["targets"][0]["name"], "Aardvark");
  EXPECT_EQ(doc["links"].size(), 0u);

  CliResult text = runCli({"show", file});
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("Title of website:  Garden & Shop"), std::string::npos);
  EXPECT_NE(text.out.find("Targets (342):"), std::string::npos);
}

TEST_F(CliProjectTest, ShortDescriptionLimitCountsCharacters) {
  std::string eighty;
  for (int i = 0; i < 80; ++i) eighty += "\xC3\xA4";  // 80 characters, 160 bytes
  ASSERT_EQ(runCli({"new", file, "--url", "http://a/", "--short-description", eighty}).exitCode, 0);
  EXPECT_EQ(showJson()["profile"]["m_shortdescript"], eighty);

  CliResult refused = runCli({"set", file, "--short-description", eighty + "x", "--title", "T"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "larkspur-cli: Please enter no more than 80 characters.\n");
  EXPECT_EQ(showJson()["profile"]["m_title"], "");  // nothing changed
}

TEST_F(CliProjectTest, OverlongValuesAreCutWithAWarning) {
  CliResult r = runCli({"new", file, "--url", "http://a/", "--first-name", std::string(100, 'F')});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("warning: --first-name was cut to 63 bytes"), std::string::npos) << r.err;
  EXPECT_EQ(showJson()["profile"]["m_firstname"], std::string(63, 'F'));
}

TEST_F(CliProjectTest, DamagedProjectIsReportedAndLeftAlone) {
  writeFile(file, "not a project");
  CliResult r = runCli({"set", file, "--title", "T"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "larkspur-cli: Data error!\n");
  EXPECT_EQ(readFile(file), "not a project");
  CliResult missing = runCli({"show", dir.file("nope.lkr").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("nope.lkr"), std::string::npos);
}

TEST(Cli, TargetsListsTheBuiltInTable) {
  CliResult r = runCli({"targets"});
  ASSERT_EQ(r.exitCode, 0);
  std::size_t lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_EQ(lines, 342u);
  EXPECT_EQ(r.out.rfind("Aardvark ", 0), 0u);
  EXPECT_NE(r.out.find("Walhello"), std::string::npos);
}

}  // namespace
}  // namespace larkspur::test
