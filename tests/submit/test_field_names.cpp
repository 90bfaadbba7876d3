// Field names normalised by field maps and by the per-target rename table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "submit/field_names.h"
#include "tests/submit/rules_test_support.h"

namespace larkspur::submit {
namespace {

using Tokens = std::vector<std::string>;

TEST(FieldMapTokens, SplitsAndDropsShortTokens) {
  EXPECT_EQ(fieldMapTokens("&a_text;DESCRIPTION;&a_xtra;KEYWORD;"),
            (Tokens{"&a_text", "DESCRIPTION", "&a_xtra", "KEYWORD"}));
  EXPECT_EQ(fieldMapTokens("&title;DESCRIPT"), (Tokens{"&title", "DESCRIPT"}));
  EXPECT_EQ(fieldMapTokens("&qs;URL;\n&x\tTITLE;;;&;Z;"), (Tokens{"&qs", "URL", "&x", "TITLE"}));
  EXPECT_EQ(fieldMapTokens(""), Tokens{});
}

struct NameCase {
  const char* target;
  const char* field_map;
  const char* name;  // in capitals, as the walk passes it
  const char* type;
  const char* expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.target << " [" << c.field_map << "] " << c.name << "/" << c.type;
}

class Normalise : public ::testing::TestWithParam<NameCase> {};

TEST_P(Normalise, RenamesAsTheTargetNeeds) {
  const NameCase& c = GetParam();
  const core::EngineRecord record = testing::makeRecord({.name = c.target, .field_map = c.field_map});
  std::string name = c.name;
  normaliseFieldName(name, c.type, record, fieldMapTokens(c.field_map));
  EXPECT_EQ(name, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    RenameTable, Normalise,
    ::testing::Values(
        NameCase{"Jubii", "", "V0", "TEXT", "NAME"}, NameCase{"Jubii", "", "V3", "TEXT", "URL"},
        NameCase{"Jubii", "", "V5", "TEXT", "DESCRIPT"},
        NameCase{"Jubii", "", "V6", "TEXT", "V6"},
        NameCase{"jubii", "", "V3", "TEXT", "V3"},  // target names compare exactly
        NameCase{"Google", "", "Q", "TEXT", "URL"},
        NameCase{"Google AU", "", "Q", "TEXT", "URL"},
        NameCase{"Onekey", "", "Q", "TEXT", "URL"},
        NameCase{"Testengine", "", "Q", "TEXT", "Q"},
        NameCase{"Bellnet", "", "BESCHR", "TEXT", "DQ"},
        NameCase{"Bellnet", "", "STADT", "TEXT", "COUNTRY"},
        NameCase{"Bellnet", "", "KOMMENT", "", "DESCRIPT"},
        NameCase{"Bellnet", "", "TEL", "TEXT", "TELPHONE"},
        NameCase{"About-australia", "", "TXTWEBADDRESS", "TEXT", "URL"},
        NameCase{"About-australia", "", "TXTNUMBER", "TEXT", "TELPHONE"},
        NameCase{"Bestnetcraft", "", "KEY", "TEXT", "KEYWORD"},
        NameCase{"InternetCruiser", "", "SUBMIT", "IMAGE", "ADD"},
        NameCase{"InternetCruiser", "", "SUBMIT", "SUBMIT", "SUBMIT"},
        NameCase{"At-la", "", "AURL1", "TEXT", "AURL1"},
        NameCase{"At-la", "", "INAME", "TEXT", "INAME"},
        NameCase{"At-la", "", "SUBMIT", "SUBMIT", "SUBMIT"},
        NameCase{"At-la", "", "PHONE", "TEXT", "NOUSE"},
        NameCase{"Yusearch", "", "CAT1", "SELECT-ONE", "CATEGORY"},
        NameCase{"2-surf", "", "WWW", "TEXT", "URL"},
        NameCase{"Truesearch", "", "SITENAME", "TEXT", "TITLE"}));

INSTANTIATE_TEST_SUITE_P(
    FieldMaps, Normalise,
    ::testing::Values(
        NameCase{"Testengine", "&a_text;DESCRIPTION;&a_xtra;KEYWORD;", "A_XTRA", "TEXT", "KEYWORD"},
        NameCase{"Testengine", "&title;DESCRIPT", "TITLE", "TEXT", "DESCRIPT"},  // no final ;
        NameCase{"Testengine", "&title;DESCRIPT;", "TITLE", "TEXT", "DESCRIPT"},
        NameCase{"Testengine", "&a;URL;&b", "B", "TEXT", "B"},  // last key maps nothing
        NameCase{"Testengine", "&qs;URL;", "OTHER", "TEXT", "OTHER"},
        // With a field map the rename table is not consulted, even for its targets.
        NameCase{"Bellnet", "&x;URL;", "BESCHR", "TEXT", "BESCHR"},
        NameCase{"At-la", "&x;URL;", "PHONE", "TEXT", "PHONE"},
        NameCase{"Google", "&q;TITLE;", "Q", "TEXT", "TITLE"}));

}  // namespace
}  // namespace larkspur::submit
