// The targets text format: parsing, its refusals and formatting back.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_record.h"
#include "core/fixed_text.h"
#include "core/targets_text.h"
#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

using namespace std::string_literals;

// Joins fields with TABs.
std::string line(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\t';
    out += fields[i];
  }
  return out;
}

// A line of the target "N" with no texts but these numbers.
std::string numbersLine(const std::string& rank, const std::string& type) {
  return line({"N", "", "", "", "", "", "", "", rank, type});
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

TEST(TargetsTextTest, ParsesAllTenFields) {
  TargetsText t = parseTargetsText(
      line({"Ahot", "Denmark", "http://www.ahot.dk/tilmeld.php", "hint", "Tak", "allerede",
            "spare", "&url;URL;", "5", "99"}),
      "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 1u);
  const EngineRecord& r = t.records[0];
  EXPECT_EQ(r.name, "Ahot");
  EXPECT_EQ(r.country, "Denmark");
  EXPECT_EQ(r.submit_url, "http://www.ahot.dk/tilmeld.php");
  EXPECT_EQ(r.submit_hint, "hint");
  EXPECT_EQ(r.success_keyword, "Tak");
  EXPECT_EQ(r.already_keyword, "allerede");
  EXPECT_EQ(r.reserved, "spare");
  EXPECT_EQ(r.field_map, "&url;URL;");
  EXPECT_EQ(r.rank, 5);
  EXPECT_EQ(r.submit_type, 99);
  EXPECT_EQ(r.notify_window, 0);
  EXPECT_EQ(r.submit_state, "");
  EXPECT_EQ(r.message, "");
}

TEST(TargetsTextTest, SkipsCommentsAndEmptyLinesAndAcceptsCrLf) {
  const std::string text =
      "# name\tcountry\r\n"
      "\r\n"
      "One\tUSA\thttp://one.example/\t\t\t\t\t\t1\t98\r\n"
      "\n"
      "#Two\tUSA\n"
      "Three\tGermany\thttp://three.example/\t\t\t\t\t\t2\t0";  // no final line end
  TargetsText t = parseTargetsText(text, "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 2u);
  EXPECT_EQ(t.records[0].name, "One");
  EXPECT_EQ(t.records[0].submit_type, 98);  // no '\r' left on the last field
  EXPECT_EQ(t.records[1].name, "Three");
  EXPECT_EQ(t.records[1].country, "Germany");
  EXPECT_EQ(t.records[1].rank, 2);
}

TEST(TargetsTextTest, SkipsAByteOrderMarkBeforeTheFirstLine) {
  TargetsText t = parseTargetsText("\xEF\xBB\xBF# header\trank\nOne\tUSA\n", "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 1u);
  EXPECT_EQ(t.records[0].name, "One");
}

TEST(TargetsTextTest, TrailingFieldsMayBeLeftOut) {
  TargetsText t = parseTargetsText("Only\nTwo\tFrance\nNine\tUSA\thttp://x.example/\t\t\t\t\t\t7",
                                   "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 3u);
  EXPECT_EQ(t.records[0].name, "Only");
  EXPECT_EQ(t.records[0].country, "");
  EXPECT_EQ(t.records[0].rank, 0);
  EXPECT_EQ(t.records[0].submit_type, 0);
  EXPECT_EQ(t.records[1].country, "France");
  EXPECT_EQ(t.records[2].rank, 7);
  EXPECT_EQ(t.records[2].submit_type, 0);
}

TEST(TargetsTextTest, EmptyNumberFieldsReadAsZero) {
  TargetsText t = parseTargetsText(line({"N", "", "", "", "", "", "", "", "", ""}), "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  EXPECT_EQ(t.records[0].rank, 0);
  EXPECT_EQ(t.records[0].submit_type, 0);
}

TEST(TargetsTextTest, EmptyInputGivesNoRecords) {
  for (const char* text : {"", "\n\n", "# only a comment\n", "\r\n"}) {
    TargetsText t = parseTargetsText(text, "t.tsv");
    EXPECT_TRUE(t.ok()) << t.error;
    EXPECT_TRUE(t.records.empty());
  }
}

// Each text field, in line order, holds its capacity less the terminator and
// refuses one byte more, naming itself; a full text leaves the number fields
// alone.
TEST(TargetsTextTest, EveryTextFieldFillsUpToItsCapacityAndRefusesOneByteMore) {
  const std::pair<const char*, std::size_t> expected[] = {
      {"name", 64},           {"country", 64},         {"submit_url", 260}, {"submit_hint", 260},
      {"success_keyword", 64}, {"already_keyword", 64}, {"reserved", 64},    {"field_map", 260}};
  const auto fields = targetTextFields();
  ASSERT_EQ(fields.size(), std::size(expected));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    SCOPED_TRACE(expected[i].first);
    EXPECT_STREQ(fields[i].name, expected[i].first);
    EXPECT_EQ(fields[i].capacity, expected[i].second);
    std::vector<std::string> line_fields = {"Name", "", "", "", "", "", "", "", "1", "99"};
    std::string fits(fields[i].capacity - 1, 'x');
    fits[0] = 'A';  // not a comment when it is the name
    line_fields[i] = fits;
    // Comment and empty line first, so the target is on line 3.
    TargetsText ok = parseTargetsText("# header\n\n" + line(line_fields) + "\n", "mine.tsv");
    ASSERT_TRUE(ok.ok()) << ok.error;
    ASSERT_EQ(ok.records.size(), 1u);
    EXPECT_EQ(fields[i].get(ok.records[0]), fits);
    EXPECT_EQ(ok.records[0].rank, 1);
    EXPECT_EQ(ok.records[0].submit_type, 99);

    line_fields[i] = fits + "y";
    TargetsText bad = parseTargetsText("# header\n\n" + line(line_fields) + "\n", "mine.tsv");
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.records.empty());
    EXPECT_TRUE(startsWith(bad.error, "mine.tsv:3: ")) << bad.error;
    EXPECT_NE(bad.error.find(expected[i].first), std::string::npos) << bad.error;
  }
}

TEST(TargetsTextTest, MultiByteTextAtCapacityIsKeptWhole) {
  // 31 two-byte characters and one ASCII byte: 63 bytes, the most a name holds.
  std::string name;
  for (int i = 0; i < 31; ++i) name += "\xC3\xA9";
  name += "e";
  TargetsText t = parseTargetsText(name + "\tFrance", "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  EXPECT_EQ(t.records[0].name, name);
}

struct RefusedCase {
  const char* what;
  std::string text;
  const char* reason;
};

TEST(TargetsTextTest, RefusesBadLinesNamingFileAndLine) {
  const RefusedCase cases[] = {
      {"letters as rank", "Good\n" + numbersLine("x", "0"), "rank is not a number"},
      {"rank with a tail", "Good\n" + numbersLine("5x", "0"), "rank is not a number"},
      {"rank with a blank", "Good\n" + numbersLine(" 5", "0"), "rank is not a number"},
      {"rank too large", "Good\n" + numbersLine("99999999999", "0"), "rank is not a number"},
      {"letters as type", "Good\n" + numbersLine("1", "AUTO"), "submit_type is not a number"},
      {"fractional type", "Good\n" + numbersLine("1", "9.5"), "submit_type is not a number"},
      {"eleven fields", "Good\n" + numbersLine("1", "0") + "\textra", "more than ten fields"},
      {"trailing TAB", "Good\n" + numbersLine("1", "0") + "\t", "more than ten fields"},
      {"empty name", "Good\n\tUSA\thttp://x.example/", "the name is empty"},
      {"blank-only fields", "Good\n\t\t", "the name is empty"},
      {"NUL in a text", "Good\nN\tUS\0A"s, "country contains a NUL byte"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.what);
    TargetsText t = parseTargetsText(c.text, "list.tsv");
    EXPECT_FALSE(t.ok());
    EXPECT_TRUE(t.records.empty()) << "records of earlier lines are dropped too";
    EXPECT_EQ(t.error, std::string("list.tsv:2: ") + c.reason);
  }
}

TEST(TargetsTextTest, NegativeNumbersAreNumbers) {
  TargetsText t = parseTargetsText(numbersLine("-1", "-7"), "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  EXPECT_EQ(t.records[0].rank, -1);
  EXPECT_EQ(t.records[0].submit_type, -7);
}

TEST(TargetsTextTest, FormattedLineParsesBackToTheSameRecord) {
  EngineRecord r;
  r.name = "Caloga FR";
  r.country = "France";
  r.submit_url = "http://www.caloga.fr/inscription.html";
  r.submit_hint = " Submit Site ";
  r.success_keyword = "Merci";
  r.already_keyword = "existe d\xC3\xA9j\xC3\xA0";
  r.reserved = "r";
  r.field_map = "&a;URL;&b;TITLE";
  r.rank = 4;
  r.submit_type = 98;

  const std::string formatted = formatTargetLine(r);
  EXPECT_EQ(formatted,
            "Caloga FR\tFrance\thttp://www.caloga.fr/inscription.html\t Submit Site \tMerci\t"
            "existe d\xC3\xA9j\xC3\xA0\tr\t&a;URL;&b;TITLE\t4\t98");
  TargetsText t = parseTargetsText(formatted + "\r\n", "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 1u);
  EXPECT_TRUE(t.records[0] == r);

  // And a parsed line formats back to itself, empty fields included.
  const std::string sparse = line({"Only name", "", "", "", "", "", "", "", "0", "0"});
  TargetsText s = parseTargetsText(sparse, "t.tsv");
  ASSERT_TRUE(s.ok()) << s.error;
  EXPECT_EQ(formatTargetLine(s.records[0]), sparse);
}

TEST(TargetsTextTest, FormattingKeepsOneLineOfTenFields) {
  EngineRecord r;
  r.name = "Tab\tname";
  r.field_map = "line\nfeed";
  const std::string formatted = formatTargetLine(r);
  EXPECT_EQ(formatted.find('\n'), std::string::npos);
  TargetsText t = parseTargetsText(formatted, "t.tsv");
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 1u);
  EXPECT_EQ(t.records[0].name, "Tab name");
  EXPECT_EQ(t.records[0].field_map, "line feed");
}

TEST(TargetsTextTest, ReadsFilesAndReportsUnreadableOnes) {
  test::TempDir dir;
  const auto path = dir.file("targets.tsv");
  test::writeFile(path, "# mine\nOne\tUSA\thttp://one.example/add\t\t\t\t\t\t3\t99\n");
  TargetsText t = readTargetsFile(path.string());
  ASSERT_TRUE(t.ok()) << t.error;
  ASSERT_EQ(t.records.size(), 1u);
  EXPECT_EQ(t.records[0].rank, 3);

  test::writeFile(path, "# mine\nOne\tUSA\t\t\t\t\t\t\tthree\n");
  TargetsText bad = readTargetsFile(path.string());
  EXPECT_EQ(bad.error, path.string() + ":2: rank is not a number");

  const std::string missing = dir.file("missing.tsv").string();
  TargetsText none = readTargetsFile(missing);
  EXPECT_EQ(none.error.rfind(missing + ": cannot be read", 0), 0u) << none.error;
  EXPECT_TRUE(none.records.empty());
}

}  // namespace
}  // namespace larkspur::core
