// Files and values named on the command line are checked before use: a
// folder, pipe or device gets a message and a non-zero exit instead of a hang,
// an endless read or a wrong message, and a website URL must be one.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/support/silent_port.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

TEST(CliInputChecks, FoldersPipesAndDevicesAreRefusedWithTheReason) {
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://www.example-bakery.com/"}).exitCode, 0);
  const std::string folder = dir.path().string();
  const std::string fifo = dir.file("pipe").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  struct Case {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{"show", fifo}, "it is a pipe"},
      {{"show", "/dev/zero"}, "it is a device"},
      {{"show", folder}, "it is a folder"},
      {{"set", project, "--password-file", folder}, "it is a folder"},
      {{"set", project, "--password-file", "/dev/zero"}, "it is a device"},
      {{"set", project, "--password-file", fifo}, "it is a pipe"},
      {{"submit", project, "--targets-file", folder}, "a folder"},
      {{"submit", project, "--targets-file", fifo}, "a pipe"},
      {{"links", "import", project, fifo}, "Open import file error!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    RunningCli cli(c.args);
    ASSERT_TRUE(cli.started());
    const int code = cli.waitExit(5000);
    EXPECT_NE(code, -1) << "still running: it waits on the pipe";
    EXPECT_NE(code, 0);
    EXPECT_NE(cli.err().find(c.said), std::string::npos) << cli.err();
  }
}

// Every output a command writes replaces only a regular file: what else is at
// the path is refused and stays what it was; "-" is standard output.
TEST(CliInputChecks, OutputsReplaceOnlyRegularFiles) {
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://www.example-bakery.com/"}).exitCode, 0);
  ASSERT_EQ(runCli({"links", "add", project, "http://links.example/page"}).exitCode, 0);
  namespace fs = std::filesystem;
  using Kind = fs::file_type;
  struct Node {
    const char* name;
    Kind kindAfter;  // what the path is once the command ran
    bool written;
  } nodes[] = {
      {"regular", Kind::regular, true},  {"link-to-regular", Kind::symlink, true},
      {"dangling-link", Kind::symlink, true}, {"folder", Kind::directory, false},
      {"fifo", Kind::fifo, false},       {"device", Kind::character, false},
  };
  const bool root = ::geteuid() == 0;
  for (const char* command : {"new", "report", "links-export"}) {
    for (const Node& node : nodes) {
      const fs::path path = dir.path() / command / node.name;
      fs::create_directories(path.parent_path());
      const std::string name = node.name;
      if (name == "regular") writeFile(path, "old");
      if (name == "link-to-regular") writeFile(path.string() + ".target", "old");
      if (name == "link-to-regular") fs::create_symlink(path.filename().string() + ".target", path);
      if (name == "dangling-link") fs::create_symlink("nowhere.out", path);
      if (name == "folder") fs::create_directory(path);
      if (name == "fifo" && ::mkfifo(path.c_str(), 0600) != 0) FAIL() << "mkfifo";
      if (name == "device" && (!root || ::mknod(path.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) != 0)) continue;
      std::vector<std::string> args = {"new", path.string(), "--url", "http://a.example/", "--force"};
      if (std::string(command) == "report") args = {"report", project, "--output", path.string()};
      if (std::string(command) == "links-export") args = {"links", "export", project, path.string()};
      SCOPED_TRACE(std::string(command) + " over " + name);
      const CliResult r = runCli(args);
      EXPECT_EQ(r.exitCode == 0, node.written) << r.err;
      EXPECT_EQ(fs::symlink_status(path).type(), node.kindAfter);
      if (node.written) {
        EXPECT_GT(fs::file_size(path), 3u);
      } else {
        EXPECT_NE(r.err.find("Unable to write to " + path.string() + ": it is a"), std::string::npos) << r.err;
      }
    }
  }
  const CliResult report = runCli({"report", project, "--output", "-"});
  EXPECT_EQ(report.exitCode, 0);
  EXPECT_EQ(report.out.rfind("<h2>Website : http://www.example-bakery.com/</h2>", 0), 0u) << report.out.substr(0, 80);
  const CliResult exported = runCli({"links", "export", project, "-"});
  EXPECT_EQ(exported.exitCode, 0);
  EXPECT_NE(exported.out.find("http://links.example/page"), std::string::npos) << exported.out;
  EXPECT_FALSE(fs::exists("-"));
}

TEST(CliInputChecks, AReportThatCannotBeWrittenIsRefusedBeforeAnyLinkIsChecked) {
  SilentPort silent;  // a link that would keep the check waiting
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://a.example/"}).exitCode, 0);
  ASSERT_EQ(runCli({"links", "add", project, silent.baseUrl() + "/page"}).exitCode, 0);
  RunningCli cli({"links", "check", project, "--output", dir.file("no/such/folder/r.html").string()});
  EXPECT_EQ(cli.waitExit(3000), 1);
  EXPECT_NE(cli.err().find("Create file error! ("), std::string::npos) << cli.err();
  EXPECT_NE(cli.err().find("no such folder"), std::string::npos) << cli.err();
}

TEST(CliInputChecks, APasswordFileIsReadUpToWhatAPasswordCanHold) {
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://a.example/"}).exitCode, 0);
  writeFile(dir.file("ok"), "secret\n");
  EXPECT_EQ(runCli({"set", project, "--password-file", dir.file("ok").string()}).exitCode, 0);
  EXPECT_NE(runCli({"show", project, "--show-password"}).out.find("secret"), std::string::npos);
  writeFile(dir.file("big"), std::string(1 << 20, 'x'));
  const CliResult big = runCli({"set", project, "--password-file", dir.file("big").string()});
  EXPECT_EQ(big.exitCode, 1);
  EXPECT_NE(big.err.find("longer than a password can be"), std::string::npos) << big.err;
}

TEST(CliInputChecks, AWebsiteUrlMustBeAWebAddressWithAHost) {
  TempDir dir;
  struct Case {
    const char* url;
    bool accepted;
  } cases[] = {
      {"http://www.example.com/", true},   {"https://example.com", true},
      {"http://exa mple.com/", false},     {"javascript:alert(1)", false},
      {"", false},                         {"http://", false},
      {"www.example.com", false},          {"ftp://example.com/", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string project = dir.file("p" + std::to_string(n++) + ".lkr").string();
    const CliResult r = runCli({"new", project, "--url", c.url});
    EXPECT_EQ(r.exitCode == 0, c.accepted) << c.url << ": " << r.err;
    if (!c.accepted) {
      EXPECT_NE(r.err.find("--url"), std::string::npos) << r.err;
    }
  }
}

}  // namespace
}  // namespace larkspur::test
