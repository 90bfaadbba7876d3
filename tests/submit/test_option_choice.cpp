// Options chosen for country lists and scored lists.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "submit/option_choice.h"
#include "tests/submit/rules_test_support.h"

namespace larkspur::submit {
namespace {

using Options = std::vector<std::string>;
using Chosen = std::vector<std::size_t>;

class OptionChoice : public ::testing::Test {
 protected:
  Chosen choose(const std::string& name, const Options& options) {
    words = core::buildWordLists(profile);
    return chooseOptions(name, options, profile, words);
  }
  core::WebsiteProfile profile = testing::bakeryProfile();
  core::WordLists words;
};

TEST_F(OptionChoice, CountryListTakesFirstOptionContainingTheCountry) {
  core::copyText(profile.country, "Germany");
  EXPECT_EQ(choose("COUNTRY", {"Austria", "East Germany", "Germany"}), Chosen{1});
  EXPECT_EQ(choose("SITE_COUNTRY", {"Austria", "France"}), Chosen{});
  core::copyText(profile.country, "germany");  // case-sensitive
  EXPECT_EQ(choose("COUNTRY", {"Germany"}), Chosen{});
}

TEST_F(OptionChoice, UnitedStatesAlsoTakesUsa) {
  core::copyText(profile.country, "United States");
  EXPECT_EQ(choose("COUNTRY", {"Canada", "USA", "United Kingdom"}), Chosen{1});
  EXPECT_EQ(choose("COUNTRY", {"Canada", "United States", "USA"}), Chosen{1});
  core::copyText(profile.country, "USA");
  EXPECT_EQ(choose("COUNTRY", {"Canada", "United States", "USA"}), Chosen{2});
}

TEST_F(OptionChoice, EmptyCountryTakesFirstOption) {
  core::copyText(profile.country, "");
  EXPECT_EQ(choose("COUNTRY", {"Canada", "USA"}), Chosen{0});
}

TEST_F(OptionChoice, ScoresCategoryWordsTwiceKeywordsOnce) {
  // Category words: Business, Shopping, >>, Food, Drink; keywords: bakery, bread, cakes.
  EXPECT_EQ(optionScore("Business & Economy", words = core::buildWordLists(profile)), 2);
  EXPECT_EQ(optionScore("food and BREAD", words), 3);
  EXPECT_EQ(optionScore("Shopping >> Food & Drink", words), 8);
  EXPECT_EQ(optionScore("Computers", words), 0);
  // Each better option is selected in turn; the last selection is the best one.
  EXPECT_EQ(choose("CATEGORY", {"-- choose --", "Bread", "Business", "Food & Drink", "Arts"}),
            (Chosen{1, 2, 3}));
  // An equal score later does not replace the first option with it.
  EXPECT_EQ(choose("CAT", {"Business", "Business news"}), Chosen{0});
}

TEST_F(OptionChoice, AllZeroSelectsTheLastOption) {
  EXPECT_EQ(choose("CATEGORY", {"Arts", "Computers", "Science"}), Chosen{2});
  EXPECT_EQ(choose("CATEGORY", {}), Chosen{});
  // A normalised name containing COUNTRY never scores.
  EXPECT_EQ(choose("COUNTRY", {"Business"}), Chosen{});
}

}  // namespace
}  // namespace larkspur::submit
