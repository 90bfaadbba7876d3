#include "core/service_hosts.h"
#include "tests/support/expect_each.h"

#include <gtest/gtest.h>

#include <string>

namespace larkspur::core {
namespace {

class ServiceHostsTest : public ::testing::Test {
 protected:
  void TearDown() override { setServiceBase(""); }
};

TEST_F(ServiceHostsTest, DefaultsAreBareHostsAndTheUpdateServerUsesTls) {
  for (Service s : {Service::ToolbarQuery, Service::GoogleSearch, Service::YahooSiteExplorer, Service::UpdateServer,
                    Service::BingWebmaster, Service::OpenPageRank}) {
    std::string_view host = defaultServiceHost(s);
    EXPECT_TRUE(host.starts_with("http://") || host.starts_with("https://")) << host;
    EXPECT_EQ(host.find('/', host.find("://") + 3), std::string_view::npos) << host;
  }
  for (Service s : {Service::UpdateServer, Service::BingWebmaster, Service::OpenPageRank}) {
    EXPECT_TRUE(defaultServiceHost(s).starts_with("https://")) << defaultServiceHost(s);
  }
}

TEST_F(ServiceHostsTest, WithoutABaseUrlsAreUnchanged) {
  EXPECT_EQ(serviceBase(), "");
  EXPECT_EQ(effectiveServiceUrl("http://www.example.com:81/a?b#c"), "http://www.example.com:81/a?b#c");
  EXPECT_EQ(serviceUrl(Service::ToolbarQuery, "/search?q=1"),
            std::string(defaultServiceHost(Service::ToolbarQuery)) + "/search?q=1");
}

TEST_F(ServiceHostsTest, ABaseReplacesSchemeHostAndPort) {
  ASSERT_TRUE(setServiceBase("http://127.0.0.1:8080"));
  test::expectEach(effectiveServiceUrl,
                   {{"http://toolbarqueries.google.com/search?client=x&q=info:http://a.b/",
                     "http://127.0.0.1:8080/search?client=x&q=info:http://a.b/"},
                    {"https://update.example.com:8443/larkspur_update.txt",
                     "http://127.0.0.1:8080/larkspur_update.txt"},
                    {"http://user:pw@host.example/p", "http://127.0.0.1:8080/p"},
                    {"http://host.example?q=1", "http://127.0.0.1:8080?q=1"},
                    {"http://host.example", "http://127.0.0.1:8080"},
                    {"no scheme/here", "no scheme/here"}});
  EXPECT_EQ(serviceUrl(Service::UpdateServer, "/larkspur.exe"), "http://127.0.0.1:8080/larkspur.exe");
}

TEST_F(ServiceHostsTest, OnlySchemeHostAndPortAreAcceptedAsBase) {
  ASSERT_TRUE(setServiceBase("https://mirror.example:9443/"));
  EXPECT_EQ(serviceBase(), "https://mirror.example:9443");
  for (const char* bad : {"mirror.example", "ftp://mirror.example", "http://", "http://mirror.example/sub",
                          "http://mirror.example//", "http://mirror.example/?q=1", "http://mirror.example#top",
                          "http://user@mirror.example", "http://mirror.example:notaport"}) {
    EXPECT_FALSE(setServiceBase(bad)) << bad;
    EXPECT_EQ(serviceBase(), "https://mirror.example:9443") << "a refused base leaves the setting alone";
  }
  EXPECT_TRUE(setServiceBase(""));
  EXPECT_EQ(serviceBase(), "");
}

}  // namespace
}  // namespace larkspur::core
