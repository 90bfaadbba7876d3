#include "core/ascii_text.h"

#include <gtest/gtest.h>

#include <string>

namespace larkspur::core {
namespace {

TEST(AsciiText, OnlyAToZChangeCaseAndOnlyTheGivenBlanksAreTrimmed) {
  EXPECT_EQ(asciiLower("Content-TYPE caf\xC3\x89 \xC0"), "content-type caf\xC3\x89 \xC0");
  EXPECT_EQ(asciiUpper("text/html; charset=utf-8 caf\xC3\xA9"), "TEXT/HTML; CHARSET=UTF-8 CAF\xC3\xA9");
  EXPECT_EQ(asciiTrimmed(" \t\v\f\r\n a b \n"), "a b");
  EXPECT_EQ(asciiTrimmed("\v post \f", kHtmlBlanks), "\v post");
  EXPECT_EQ(asciiTrimmed(" \t "), "");
  EXPECT_EQ(asciiTrimmed("\xA0x\xA0"), "\xA0x\xA0");
}

TEST(AsciiText, ComparisonsFoldOnlyAToZ) {
  const struct {
    std::string text;
    std::string other;
    bool equals;
    bool startsWith;
    bool contains;
  } cases[] = {
      {"HTTP://Example/", "http://example/", true, true, true},
      {"https://x/", "HTTPS://", false, true, true},
      {"see http://www.Site.example/ here", "WWW.SITE.EXAMPLE", false, false, true},
      {"caf\xC3\xA9", "CAF\xC3\x89", false, false, false},
      {"CAF\xC3\xA9", "caf\xC3\xA9", true, true, true},
      {std::string("x\0HTTP", 6), "http", false, false, true},
      {"[", "{", false, false, false},  // '[' and '{' are 32 apart but no letters
      {"anything", "", false, true, true},
      {"", "a", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + " / " + c.other);
    EXPECT_EQ(asciiEqualsNoCase(c.text, c.other), c.equals);
    EXPECT_EQ(asciiStartsWithNoCase(c.text, c.other), c.startsWith);
    EXPECT_EQ(asciiContainsNoCase(c.text, c.other), c.contains);
  }
}

}  // namespace
}  // namespace larkspur::core
