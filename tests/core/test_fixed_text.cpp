#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/fixed_text.h"

namespace larkspur::core {
namespace {

struct CutCase {
  const char* label;
  std::string text;
  std::size_t capacity;
  std::string expected;
};

class CopyTextTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CopyTextTest, CutsAtCapacityWithoutSplittingUtf8) {
  const CutCase& c = GetParam();
  char field[16];
  std::memset(field, 'Z', sizeof field);
  bool whole = copyText(field, c.capacity, c.text);
  EXPECT_EQ(std::string(field), c.expected);
  EXPECT_EQ(whole, c.expected == c.text);
  // Nothing past the field is written, and the rest of the field is zero.
  for (std::size_t i = c.capacity; i < sizeof field; ++i) EXPECT_EQ(field[i], 'Z') << i;
  for (std::size_t i = c.expected.size(); i < c.capacity; ++i) EXPECT_EQ(field[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CopyTextTest,
    ::testing::Values(
        CutCase{"fits", "abc", 8, "abc"},
        CutCase{"exactly capacity minus one", "abcdefg", 8, "abcdefg"},
        CutCase{"one byte too long", "abcdefgh", 8, "abcdefg"},
        CutCase{"empty", "", 4, ""},
        CutCase{"capacity one", "abc", 1, ""},
        // "ä" is two bytes: with 7 bytes of room, "abcdef" + half of "ä" would not do.
        CutCase{"two-byte sequence straddles", "abcdef\xC3\xA4", 8, "abcdef"},
        CutCase{"two-byte sequence just fits", "abcde\xC3\xA4x", 8, "abcde\xC3\xA4"},
        CutCase{"three-byte sequence straddles", "abcde\xE2\x82\xAC", 8, "abcde"},
        CutCase{"four-byte sequence straddles", "abcd\xF0\x9F\x98\x80", 8, "abcd"},
        CutCase{"four-byte sequence fits", "abc\xF0\x9F\x98\x80z", 8, "abc\xF0\x9F\x98\x80"},
        // Latin-1 text is not UTF-8: at most three bytes are given up.
        CutCase{"latin-1 bytes", "\xE4\xE4\xE4\xE4\xE4\xE4\xE4\xE4\xE4", 8,
                "\xE4\xE4\xE4\xE4\xE4\xE4\xE4"},
        CutCase{"embedded NUL ends the text", std::string("ab\0cd", 5), 8, "ab"}),
    [](const ::testing::TestParamInfo<CutCase>& info) {
      std::string name;
      for (char ch : std::string(info.param.label)) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(FieldView, StopsAtNulOrFieldEnd) {
  char full[4] = {'a', 'b', 'c', 'd'};  // no terminator at all
  EXPECT_EQ(fieldView(full), "abcd");
  char shorter[4] = {'a', 0, 'c', 0};
  EXPECT_EQ(fieldView(shorter), "a");
}

}  // namespace
}  // namespace larkspur::core
