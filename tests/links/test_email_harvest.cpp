#include "links/email_harvest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "core/service_hosts.h"
#include "tests/support/local_server.h"

namespace larkspur::links {
namespace {

// Room after the host name: the scan wants 20 more characters in the answer.
const std::string kTail(24, '.');

TEST(HarvestHostName, UpperCaseWithoutWwwThenLowerCase) {
  EXPECT_EQ(harvestHostName("WWW.Example.COM"), "example.com");
  EXPECT_EQ(harvestHostName("www.example.com"), "example.com");
  EXPECT_EQ(harvestHostName("shop.www.example.com"), "shop.example.com");
  EXPECT_EQ(harvestHostName("awww.example.com"), "aexample.com");  // wherever it occurs
  EXPECT_EQ(harvestHostName("wwwexample.com"), "wwwexample.com");
  EXPECT_EQ(harvestHostName("www.www.x"), "x");
}

TEST(EmailSearchUrl, HostNameWithBlanksEscaped) {
  EXPECT_EQ(emailSearchUrl("a b.example"),
            std::string(core::defaultServiceHost(core::Service::GoogleSearch)) +
                "/search?q=a%20b.example&num=100&newwindow=1&start=0&filter=0");
}

TEST(FindEmailInAnswer, TheScanOverMarkedUpAddresses) {
  struct Case {
    std::string answer;
    const char* found;  // nullptr: none
  };
  const Case cases[] = {
      {" john@<b>example.com</b>" + kTail, "john@example.com"},
      {"Mail: Jo-Ann9@<B>EXAMPLE.COM</B>" + kTail, "Jo-Ann9@example.com"},
      {" john@example.com" + kTail, nullptr},                  // '@' not followed by '<'
      {" john@<b>example.com</b>", nullptr},                    // window runs past the end
      {" john@<b>other.example</b>" + kTail, nullptr},          // host name not close behind
      {" john@<span class=\"highlighted\">example.com" + kTail, nullptr},  // too far behind
      {"john@<b>example.com</b>" + kTail, nullptr},             // start of the answer, no blank
      {" a.john@<b>example.com</b>" + kTail, nullptr},          // a dot in the local part
      {" john.@<b>example.com</b>" + kTail, nullptr},           // a dot right before '@'
      {" john_@<b>example.com</b>" + kTail, nullptr},           // an underscore right before '@'
      {" j@<b>example.com</b>" + kTail, nullptr},               // one character
      {" jo@<b>example.com</b>" + kTail, "jo@example.com"},     // two
      {" jo@<b>myexample.com</b>" + kTail, "jo@example.com"},   // the name need only occur behind
      {" " + std::string(20, 'x') + "@<b>example.com</b>" + kTail, "xxxxxxxxxxxxxxxxxxxx@example.com"},
      {" " + std::string(21, 'x') + "@<b>example.com</b>" + kTail, nullptr},
      {"\tjohn@<b>example.com</b>" + kTail, nullptr},           // only a blank starts the local part
      {" x.y@<b>example.com</b>" + kTail + " second@<b>example.com</b>" + kTail, "second@example.com"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> got = findEmailInAnswer(c.answer, "example.com");
    if (c.found) {
      ASSERT_TRUE(got.has_value()) << c.answer;
      EXPECT_EQ(*got, c.found);
    } else {
      EXPECT_FALSE(got.has_value()) << c.answer << " gave " << got.value_or("");
    }
  }
}

class HarvestEmailTest : public ::testing::Test {
 protected:
  HarvestEmailTest() { setenv("no_proxy", "*", 1); }
  ~HarvestEmailTest() override { core::setServiceBase(""); }
  test::LocalServer google_;
};

TEST_F(HarvestEmailTest, SearchesForTheHostWithoutWwwInLowerCase) {
  std::mutex mutex;
  std::string query;
  google_.get("/search", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    query = req.target;
    // The result page as the search highlights it: addresses the scan must
    // pass over come first.
    res.set_content(
        "<p>j@<b>linker.example</b> wrote to first.last@<b>linker.example</b> and to under_@<b>linker.example</b>"
        " or x@<b>linker.example</b>; see sales@linker.example or sales@<b>another.example</b> of the group."
        " Write to info@<b>linker.example</b> for details of our shop</p>",
        "text/html");
  });
  ASSERT_TRUE(google_.start());
  ASSERT_TRUE(core::setServiceBase(google_.baseUrl()));

  std::string email = "unchanged";
  EXPECT_EQ(harvestEmail("http://WWW.Linker.EXAMPLE/page.html", email), kEmailFound);
  EXPECT_EQ(email, "info@linker.example");
  {
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(query, "/search?q=linker.example&num=100&newwindow=1&start=0&filter=0");
  }
  std::string none = "unchanged";
  EXPECT_EQ(harvestEmail("http://nobody.example/", none), kEmailNotFound);
  EXPECT_EQ(none, "unchanged");
  EXPECT_EQ(harvestEmail("no host here", none), kEmailFailed);
}

TEST_F(HarvestEmailTest, AFailedSearchIsMinusOne) {
  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:" + std::to_string(test::unusedLocalPort())));
  std::string email = "unchanged";
  EXPECT_EQ(harvestEmail("http://linker.example/", email), kEmailFailed);
  EXPECT_EQ(email, "unchanged");
}

}  // namespace
}  // namespace larkspur::links
