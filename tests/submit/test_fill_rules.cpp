// Which profile value a field receives, by its normalised name.

#include <gtest/gtest.h>

#include "submit/fill_rules.h"
#include "tests/submit/rules_test_support.h"

namespace larkspur::submit {
namespace {

using P = ProfileValue;

// The rule that decides (none for rule 0), the value it fills and whether it
// marks the URL as filled.
void expectMatch(const auto& match, int rule, P result, bool urlFilled) {
  if (rule == 0) {
    EXPECT_FALSE(match.has_value());
    return;
  }
  ASSERT_TRUE(match.has_value());
  EXPECT_EQ(match->rule, rule);
  EXPECT_EQ(match->value, result) << profileValueName(match->value);
  EXPECT_EQ(match->marks_url_filled, urlFilled);
}

struct InputCase {
  const char* name;   // normalised, in capitals
  const char* value;  // current value, in capitals
  int rule;           // 0: no rule passes
  P result;
  bool url_filled;
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name << " / " << c.value; }

class InputRules : public ::testing::TestWithParam<InputCase> {};

TEST_P(InputRules, LastPassingRuleDecides) {
  const InputCase& c = GetParam();
  expectMatch(matchFillRules(inputFillRules(), {c.name, c.value}), c.rule, c.result, c.url_filled);
}

INSTANTIATE_TEST_SUITE_P(
    Names, InputRules,
    ::testing::Values(
        InputCase{"DQ", "", 1, P::kShortDescription, false},
        InputCase{"URL", "", 2, P::kUrl, true},
        InputCase{"RETURNURL", "", 2, P::kUrl, true},  // a hidden field is filled all the same
        InputCase{"SITE", "HTTP://", 2, P::kUrl, true},
        InputCase{"URLMAIL", "", 3, P::kEmail, true},  // e-mail wins, URL filled stays marked
        InputCase{"EMAIL", "", 3, P::kEmail, false},
        InputCase{"STATECOUNTRY", "", 4, P::kCountry, false},
        InputCase{"COUNTRY", "", 20, P::kCountry, false},
        InputCase{"TITEL", "", 5, P::kTitle, false},
        InputCase{"SIDENAVN", "", 5, P::kTitle, false},
        InputCase{"PAGENAME", "", 6, P::kTitle, false},
        InputCase{"KEYWORDS", "", 7, P::kKeywords, false},
        InputCase{"DESC", "", 8, P::kLongDescription, false},
        InputCase{"COMPANY", "", 9, P::kTitle, false},
        InputCase{"NOTES", "", 10, P::kLongDescription, false},
        InputCase{"FIRSTNAME", "", 11, P::kFirstName, false},
        InputCase{"LNAME", "", 12, P::kLastName, false},
        InputCase{"NAME", "", 13, P::kFullName, false},
        InputCase{"USERNAME", "", 14, P::kUser, false},
        InputCase{"LOGINID", "", 16, P::kUser, false},
        InputCase{"PASSWORD", "", 17, P::kPassword, false},
        InputCase{"PWD", "", 18, P::kPassword, false},
        InputCase{"CONTACTPERSON", "", 19, P::kFullName, false},
        InputCase{"WEBMASTER", "", 21, P::kFullName, false},
        InputCase{"TELPHONE", "", 23, P::kTelephone, false},
        InputCase{"TEL", "", 22, P::kTelephone, false},
        InputCase{"CITY", "", 24, P::kCity, false},
        InputCase{"ADDRESS", "", 25, P::kAddress, false},
        InputCase{"EMAILADDRESS", "", 25, P::kAddress, false},
        InputCase{"POSTCODE", "", 26, P::kZip, false},
        InputCase{"DOMAINSERVER", "", 27, P::kHost, true},
        InputCase{"NOUSE", "", 0, P::kUrl, false},
        InputCase{"ADD", "", 0, P::kUrl, false},
        InputCase{"CATEGORY", "", 0, P::kUrl, false},
        InputCase{"Q", "", 0, P::kUrl, false}));

struct TextAreaCase {
  const char* name;
  int rule;
  P result;
  bool url_filled;
};

void PrintTo(const TextAreaCase& c, std::ostream* os) { *os << c.name; }

class TextAreaRules : public ::testing::TestWithParam<TextAreaCase> {};

TEST_P(TextAreaRules, LastPassingRuleDecides) {
  const TextAreaCase& c = GetParam();
  expectMatch(matchFillRules(textAreaFillRules(), {c.name, {}}), c.rule, c.result, c.url_filled);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TextAreaRules,
    ::testing::Values(TextAreaCase{"KEYWORDS", 1, P::kKeywords, false},
                      TextAreaCase{"COMMENTS", 2, P::kLongDescription, false},
                      TextAreaCase{"DESCRIZIONE", 3, P::kLongDescription, false},
                      TextAreaCase{"SITECONTENT", 3, P::kLongDescription, false},
                      TextAreaCase{"NOTE", 4, P::kLongDescription, false},
                      TextAreaCase{"URLS", 5, P::kUrl, true},
                      TextAreaCase{"DQ", 6, P::kShortDescription, false},
                      TextAreaCase{"KEYWORDURL", 5, P::kUrl, true},
                      TextAreaCase{"MESSAGE", 0, P::kUrl, false}));

TEST(FillRules, WritesProfileValues) {
  core::WebsiteProfile p = testing::bakeryProfile();
  EXPECT_EQ(fillInput("YOURNAME", "", p).value, "Anna Berg");
  EXPECT_EQ(fillInput("DOMAINSERVER", "", p).value, "www.example-bakery.com");
  const FillResult url = fillInput("SITEURL", "", p);
  EXPECT_TRUE(url.written && url.url_filled);
  EXPECT_EQ(url.value, "http://www.example-bakery.com/");
  EXPECT_FALSE(fillInput("SUBMIT", "ADD SITE", p).written);
  EXPECT_EQ(fillTextArea("DESCRIPTION", p).value,
            "A family bakery with fresh bread and cakes every day.");
  // An empty profile value is still written: the field is cleared.
  core::copyText(p.first_name, "");
  core::copyText(p.last_name, "");
  EXPECT_EQ(fillInput("NAME", "", p).value, " ");
}

}  // namespace
}  // namespace larkspur::submit
