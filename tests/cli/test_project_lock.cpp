// Two jobs on one project: the second is refused, or waits with --wait until
// the first ends, however it ends.

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "tests/cli/run_cli.h"
#include "tests/support/dns_server.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

TEST(ProjectLock, ASecondJobIsRefusedOrWaitsUntilTheHolderIsKilled) {
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://www.example.com/"}).exitCode, 0);
  DnsServer dns;
  dns.set("www.aardvark.co.za", {DnsRule::kSilent, {}, {}});
  // A check that waits on a silent name server holds the project.
  RunningCli holder({"targets", "check", project, "--target", "Aardvark", "--dns-server", dns.address()});
  ASSERT_TRUE(holder.started());
  for (int i = 0; i < 200 && dns.queries() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));

  const CliResult refused = runCli({"set", project, "--title", "Second"});
  EXPECT_EQ(refused.exitCode, 4);
  EXPECT_NE(refused.err.find(project + " is in use by larkspur-cli (process "), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--wait"), std::string::npos);

  RunningCli waiting({"set", project, "--title", "Third", "--wait"});
  EXPECT_EQ(waiting.waitExit(500), -1);  // still waiting
  holder.signal(SIGKILL);
  EXPECT_EQ(waiting.waitExit(5000), 0) << waiting.err();
  EXPECT_NE(runCli({"show", project}).out.find("Third"), std::string::npos);
}

}  // namespace
}  // namespace larkspur::test
