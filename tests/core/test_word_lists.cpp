// The profile word lists and the upper-casing they compare with.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/upper_case.h"
#include "core/word_lists.h"

namespace larkspur::core {
namespace {

using Words = std::vector<std::string>;

Words split(const std::string& text) {
  Words list;
  appendWords(list, text);
  return list;
}

TEST(WordLists, DuplicatesInCapitalsAndStopWordsAreDropped) {
  EXPECT_EQ(split("seo, SEO and marketing"), (Words{"seo", "marketing"}));
  EXPECT_EQ(split("And OR for fOr Forum"), (Words{"Forum"}));
}

TEST(WordLists, DelimitersAndShortWords) {
  // Space, comma, colon, slash, tab and line feed delimit; a carriage return does not.
  EXPECT_EQ(split("a,bb:cc/dd\tee\nff gg"), (Words{"bb", "cc", "dd", "ee", "ff", "gg"}));
  EXPECT_EQ(split("x\r\nyy"), (Words{"x\r", "yy"}));
  EXPECT_EQ(split("  ,,, "), Words{});
  // A single character of two bytes is still one character.
  EXPECT_EQ(split("\u00E9 \u00E9t\u00E9"), (Words{"\u00E9t\u00E9"}));
}

TEST(WordLists, DuplicatesComparedWithNonAsciiCapitals) {
  EXPECT_EQ(split("b\u00E4ckerei B\u00C4CKEREI"), (Words{"b\u00E4ckerei"}));
}

TEST(WordLists, BuiltFromCategoryAddOnAndKeywords) {
  WebsiteProfile p;
  copyText(p.category, "Business");
  copyText(p.category_addon, "Business >> Shopping >> Food & Drink");
  copyText(p.keyword, "bakery, bread, business");
  const WordLists lists = buildWordLists(p);
  EXPECT_EQ(lists.category, (Words{"Business", ">>", "Shopping", "Food", "Drink"}));
  // Each list has duplicates of its own only: "business" is in both lists.
  EXPECT_EQ(lists.keyword, (Words{"bakery", "bread", "business"}));
}

TEST(WordLists, EmptyProfileGivesEmptyLists) {
  const WordLists lists = buildWordLists(WebsiteProfile{});
  EXPECT_TRUE(lists.category.empty());
  EXPECT_TRUE(lists.keyword.empty());
}

TEST(UpperCase, MapsEveryLetterAndKeepsInvalidBytes) {
  EXPECT_EQ(toUpper("Thank you"), "THANK YOU");
  EXPECT_EQ(toUpper("b\u00E4ckerei gr\u00F8n \u00E9t\u00E9"), "B\u00C4CKEREI GR\u00D8N \u00C9T\u00C9");
  EXPECT_EQ(toUpper("\u0441\u043F\u0430\u0441\u0438\u0431\u043E"), "\u0421\u041F\u0410\u0421\u0418\u0411\u041E");
  EXPECT_EQ(toUpper("a\xFFz\xC3"), "A\xFFZ\xC3");
  EXPECT_TRUE(equalsNoCase("Add URL", "ADD url"));
  EXPECT_FALSE(equalsNoCase("Add URL", "Add URLs"));
  EXPECT_EQ(characterCount("\u00E9a"), 2u);
  EXPECT_EQ(characterCount("\xFF"), 1u);
}

}  // namespace
}  // namespace larkspur::core
