#include <gtest/gtest.h>

#include <string>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(CliReport, WritesTheSubmitReportOfEveryTarget) {
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://www.mysite.example/", "--title", "Fish & <Chips>"}).exitCode, 0);
  const std::string output = dir.file("mysite.HTM").string();
  CliResult r = runCli({"report", project, "--output", output});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Report: " + output + " (342 targets)\n");
  const std::string html = readFile(output);
  EXPECT_EQ(html.rfind("<h2>Website : http://www.mysite.example/</h2>\t\n\t\n"
                       "<p><font face=\"Arial\" size=\"2\">Title : Fish &amp; &lt;Chips&gt;</font></p>\t\n",
                       0),
            0u);
  EXPECT_NE(html.find("<table border=\"1\" cellpadding=\"6\" cellspacing=\"1\"><tr><td><p align=\"center\">Search "
                      "Engine</td><td><p align=\"center\">Country</td><td><p align=\"center\">Type</td><td><p "
                      "align=\"center\">Rank</td><td><p align=\"center\">Submit State</td><td>Submit Message</td></tr>"),
            std::string::npos);
  // Nothing submitted yet: every state cell is "Un-Submit", no message.
  EXPECT_EQ(count(html, "<tr>"), 343u);
  EXPECT_EQ(count(html, "<td>Un-Submit</td><td>&nbsp;</td></tr>"), 342u);
}

TEST(CliReport, NeedsAnOutputWhenNoNameCanBeProposed) {
  TempDir dir;
  const std::string project = dir.file("site.lkr").string();
  ASSERT_EQ(runCli({"new", project, "--url", "http://a/"}).exitCode, 0);
  CliResult r = runCli({"report", project});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--output"), std::string::npos) << r.err;
  CliResult failed = runCli({"report", project, "--output", dir.file("no/such/dir.htm").string()});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.err.find("Create file error!"), std::string::npos) << failed.err;
}

}  // namespace
}  // namespace larkspur::test
