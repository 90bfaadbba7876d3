// Ctrl-C ends every command that waits on the network within about a
// second, with exit code 130, even while a server keeps it waiting.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/support/silent_port.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

TEST(CliInterrupt, CtrlCEndsAWaitOnASilentServerWithinASecond) {
  SilentPort silent;
  ASSERT_GT(silent.port(), 0);
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://www.example-bakery.com/"}).exitCode, 0);
  ASSERT_EQ(runCli({"links", "add", project, silent.baseUrl() + "/linking-page"}).exitCode, 0);

  const std::vector<std::vector<std::string>> commands = {
      {"pagerank", "http://www.example.com/", "--service-base", silent.baseUrl()},
      {"links", "check", project, "--output", dir.file("report.html").string()},
      {"links", "update", project, "--rank", "--service-base", silent.baseUrl()},
      {"links", "update", project, "--email", "--service-base", silent.baseUrl()},
      {"announce", project, "--check", "--service-base", silent.baseUrl()},
  };
  for (const std::vector<std::string>& command : commands) {
    SCOPED_TRACE(command[0] + " " + command[1]);
    RunningCli cli(command);
    ASSERT_TRUE(cli.started());
    // Long enough for the request to be waiting on the server.
    EXPECT_EQ(cli.waitExit(500), -1) << cli.err();
    const auto interruptedAt = std::chrono::steady_clock::now();
    cli.interrupt();
    EXPECT_EQ(cli.waitExit(3000), 130) << cli.err();
    EXPECT_LT(std::chrono::steady_clock::now() - interruptedAt, std::chrono::milliseconds(1500));
  }
}

}  // namespace
}  // namespace larkspur::test
