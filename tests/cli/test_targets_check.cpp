// targets check on built-in targets whose names a local name server answers
// for: verdicts printed, saved and shown, batches leaving the unhealthy out,
// and Ctrl-C keeping what was reached.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "core/fixed_text.h"
#include "core/targets_text.h"
#include "tests/cli/run_cli.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/dns_server.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TargetsCheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(runCli({"new", project, "--url", "http://www.example-bakery.com/", "--title", "Bakery", "--email",
                      "owner@example-bakery.com"})
                  .exitCode,
              0);
    // Aardvark's host answers on 127.0.0.1, where nothing listens on port
    // 80; the other built-in hosts do not exist.
    dns.set("www.aardvark.co.za", {DnsRule::kAnswer, {"127.0.0.1"}, {}});
    dns.set("co.za", {DnsRule::kAnswer, {}, {}});
  }
  std::string health(const std::string& name) {
    const nlohmann::json shown = nlohmann::json::parse(runCli({"show", project, "--json"}).out);
    for (const auto& t : shown["targets"]) {
      if (t["name"] == name) return t["health"].get<std::string>() + ": " + t["health_reason"].get<std::string>();
    }
    return "(missing)";
  }

  TempDir dir;
  std::string project = dir.file("bakery.lkr").string();
  DnsServer dns;
};

TEST_F(TargetsCheckCommand, VerdictsArePrintedSavedAndKeepTheProfileFromUnhealthyTargets) {
  const CliResult checked = runCli({"targets", "check", project, "--target", "Aardvark", "--target", "Abacho CH",
                                    "--dns-server", dns.address(), "--json"});
  ASSERT_EQ(checked.exitCode, 0) << checked.err;
  const nlohmann::json verdicts = nlohmann::json::parse(checked.out);
  ASSERT_EQ(verdicts.size(), 2u);
  for (const auto& v : verdicts) {
    EXPECT_EQ(v["verdict"], v["name"] == "Aardvark" ? "unreachable" : "gone") << v.dump();
    EXPECT_EQ(v["checked"].get<std::string>().size(), 20u);
  }
  EXPECT_EQ(health("Aardvark"), "unreachable: www.aardvark.co.za refused the connection");
  EXPECT_EQ(health("Abacho CH"), "gone: the name www.abacho.ch does not exist (NXDOMAIN)");
  EXPECT_TRUE(contains(runCli({"show", project}).out, "health gone (the name www.abacho.ch does not exist"));

  // A batch over targets of those names leaves Aardvark out, unless asked.
  farm::TargetFarm site;
  ASSERT_TRUE(site.start());
  std::ofstream file(dir.file("two.tsv"));
  for (const char* name : {"Aardvark", "Abrahamsearch"}) {
    core::EngineRecord record = site.target("first-button")->record;
    record.name = name;
    file << core::formatTargetLine(record) << "\n";
  }
  file.close();
  const CliResult batch = runCli({"submit", project, "--reset", "--targets-file", dir.file("two.tsv").string()});
  EXPECT_TRUE(contains(batch.out, "Aardvark: Skipped: unreachable (www.aardvark.co.za refused the connection)\n"))
      << batch.out;
  EXPECT_TRUE(contains(batch.out, "to 1 targets")) << batch.out;
  const CliResult included = runCli({"submit", project, "--all", "--include-unhealthy", "--targets-file",
                                     dir.file("two.tsv").string()});
  EXPECT_TRUE(contains(included.out, "to 2 targets")) << included.out;
}

TEST_F(TargetsCheckCommand, CtrlCEndsTheCheckWith130AndKeepsTheVerdictsReached) {
  dns.set("www.aardvark.co.za", {DnsRule::kSilent, {}, {}});
  RunningCli cli({"targets", "check", project, "--target", "Aardvark", "--target", "Abacho CH", "--dns-server",
                  dns.address(), "--time-out", "600"});
  ASSERT_TRUE(cli.started());
  for (int i = 0; i < 300 && !contains(cli.out(), "Abacho CH: gone"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  cli.interrupt();
  EXPECT_EQ(cli.waitExit(3000), 130);
  EXPECT_TRUE(contains(cli.out(), "Stopped after 1 of 2 targets: 1 gone")) << cli.out() << cli.err();
  EXPECT_EQ(health("Abacho CH").substr(0, 5), "gone:");
  EXPECT_EQ(health("Aardvark"), ": ");
}

}  // namespace
}  // namespace larkspur::test
