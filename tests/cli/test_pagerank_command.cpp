#include <gtest/gtest.h>

#include <string>

#include "tests/cli/run_cli.h"
#include "tests/support/local_server.h"

namespace larkspur::test {
namespace {

TEST(CliPagerank, AsksTheToolbarServiceGivenAsServiceBase) {
  LocalServer toolbar;
  std::string query;
  toolbar.get("/search", [&](const httplib::Request& req, httplib::Response& res) {
    query = req.get_param_value("q");
    res.set_content("Rank_1:1:6\n", "text/plain");
  });
  ASSERT_TRUE(toolbar.start());

  CliResult r = runCli({"pagerank", "http://www.example.com/", "--service-base", toolbar.baseUrl()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("checksum: "), std::string::npos);
  EXPECT_NE(r.out.find("request: " + toolbar.baseUrl() +
                       "/search?client=navclient-auto&ch="),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("rank: 6\n"), std::string::npos) << r.out;
  EXPECT_EQ(query, "info:http://www.example.com/");
}

TEST(CliPagerank, RefusesABadServiceBaseAndReportsAnUnreachableService) {
  CliResult bad = runCli({"pagerank", "http://a/", "--service-base", "ftp://127.0.0.1"});
  EXPECT_EQ(bad.exitCode, 2);
  CliResult down = runCli({"pagerank", "http://a/", "--service-base",
                           "http://127.0.0.1:" + std::to_string(unusedLocalPort())});
  EXPECT_EQ(down.exitCode, 1);
  EXPECT_FALSE(down.err.empty());
}

}  // namespace
}  // namespace larkspur::test
