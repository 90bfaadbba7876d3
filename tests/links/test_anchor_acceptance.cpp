#include "links/anchor_acceptance.h"

#include <gtest/gtest.h>

#include <string>

#include "core/service_hosts.h"
#include "links/back_link_engines.h"
#include "web/html_parser.h"

namespace larkspur::links {
namespace {

TEST(BackLinkQueries, TemplatesWithTheHostUnescapedAndPagingBy100) {
  EXPECT_EQ(backLinkQueryPath(kEngineGoogle, "www.example.com", 0),
            "/search?q=link%3Awww.example.com&num=100&newwindow=1&start=0&filter=0");
  EXPECT_EQ(backLinkQueryPath(kEngineGoogle, "www.example.com", 100),
            "/search?q=link%3Awww.example.com&num=100&newwindow=1&start=100&filter=0");
  EXPECT_EQ(backLinkQueryPath(kEngineYahoo, "www.example.com", 0),
            "/advsearch?p=http%3A%2F%2Fwww.example.com&b=0&bwm=i&bwmo=&bwmf=u");
  EXPECT_EQ(backLinkQueryPath(kEngineYahoo, "www.example.com", 100),
            "/advsearch?p=http%3A%2F%2Fwww.example.com&b=100&bwm=i&bwmo=&bwmf=u");
  EXPECT_EQ(backLinkQueryPath(kEngineMsn, "a b%s", 7), "/results.aspx?q=link%3A%2F%2Fa b%s&first=7&FORM=PERE");
  EXPECT_EQ(backLinkQueryPath(5, "x", 0), "");
  EXPECT_TRUE(backLinkEngineEnabled(kEngineGoogle));
  EXPECT_TRUE(backLinkEngineEnabled(kEngineYahoo));
  EXPECT_FALSE(backLinkEngineEnabled(kEngineMsn));

  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:9"));
  EXPECT_EQ(backLinkQueryUrl(kEngineYahoo, "h", 200),
            "http://127.0.0.1:9/advsearch?p=http%3A%2F%2Fh&b=200&bwm=i&bwmo=&bwmf=u");
  core::setServiceBase("");
}

TEST(CollectAnchors, HrefsLongerThanEightCharactersWithTheirTextInOrder) {
  const web::Document doc = web::parseHtmlUtf8(
      "<html><body>"
      "<a href='mailto:x'>eight characters, kept as written</a>"
      "<a href='x:abc'>short, other scheme</a>"
      "<a href='http://a'>Nine <b>chars</b> once resolved</a>"
      "<a href='/relative'>resolved</a>"
      "<a name='no-href'>none</a>"
      "<area href='http://area.example/'>"
      "<a href='http://empty.example/'></a>"
      "</body></html>",
      "http://page.example/dir/");
  const std::vector<CollectedAnchor> anchors = collectAnchors(doc);
  ASSERT_EQ(anchors.size(), 3u);
  EXPECT_EQ(anchors[0].url, "http://a/");
  EXPECT_EQ(anchors[0].text, "Nine chars once resolved");
  EXPECT_EQ(anchors[1].url, "http://page.example/relative");
  EXPECT_EQ(anchors[2].url, "http://empty.example/");
  EXPECT_EQ(anchors[2].text, "");
}

TEST(DecodePercentEscapes, DecodesInPlace) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"http%3A//a.example/%7Euser", "http://a.example/~user"},
      {"%3a%2F%2f", "://"},
      {"100%", "100%"},
      {"%zz%4", "%zz%4"},
      {"a%2", "a%2"},
      {"%41%", "A%"},
      {"cut%00here", "cut"},
      {"%2541", "%41"},  // decoded once
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    decodePercentEscapes(text);
    EXPECT_EQ(text, c.out) << c.in;
  }
}

TEST(EngineTest, RejectsTheEnginesOwnLinksAndUnwrapsYahooRedirects) {
  struct Case {
    int32_t engine;
    std::string url;
    std::string text;
    bool accepted;
    std::string urlAfter;
  };
  const std::string redirect = "http://rds.yahoo.com/_ylt=A0/SIG=12/EXP=1/**http%3A//linker.example/page%3Fid%3D1";
  const Case cases[] = {
      {kEngineGoogle, "http://linker.example/", "x", true, "http://linker.example/"},
      {kEngineGoogle, "http://www.google.com/intl/en/", "x", false, ""},
      {kEngineGoogle, "http://maps.google.de/", "x", false, ""},
      {kEngineGoogle, "http://www.youtube.com/watch", "x", false, ""},
      {kEngineGoogle, "http://74.125.1.1/search?q=cache:abc", "Cached", false, ""},
      {kEngineGoogle, "http://Google.com/", "x", true, "http://Google.com/"},  // case-sensitive
      {kEngineGoogle, "http://linker.example/yahoo.html", "x", true, "http://linker.example/yahoo.html"},
      {kEngineYahoo, redirect, "Linker page", true, "http://linker.example/page?id=1"},
      {kEngineYahoo, redirect, "cAcHeD", false, redirect},  // not unwrapped, then a Yahoo address
      {kEngineYahoo, "http://rds.yahoo.com/no-marker/http%3A//x.example/", "x", false, ""},
      {kEngineYahoo, "http://siteexplorer.search.example/", "x", false, ""},
      {kEngineYahoo, "http://help.yahoo.com/", "x", false, ""},
      {kEngineYahoo, "http://ysearchblog.example/", "x", false, ""},
      {kEngineYahoo, "javascript:void(0)", "x", false, ""},
      {kEngineYahoo, "http://cc.example/cache?ei=1", "x", false, ""},
      {kEngineYahoo, "http://rds.yahoo.com/**http%3A//help.yahoo.com/", "x", false, "http://help.yahoo.com/"},
      {kEngineYahoo, "http://www.google.com/", "x", true, "http://www.google.com/"},
  };
  for (const Case& c : cases) {
    CollectedAnchor a{c.url, c.text};
    EXPECT_EQ(passesEngineTest(c.engine, a), c.accepted) << c.engine << " " << c.url;
    if (!c.urlAfter.empty()) {
      EXPECT_EQ(a.url, c.urlAfter) << c.url;
    }
  }
}

}  // namespace
}  // namespace larkspur::links
