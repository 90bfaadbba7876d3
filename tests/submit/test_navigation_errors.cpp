#include "submit/navigation_errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace larkspur::submit {
namespace {

uint32_t rowCode(std::span<const uint8_t> table, std::size_t row) {
  const uint8_t* p = table.data() + row * kNavigationErrorRowSize;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void appendRow(std::vector<uint8_t>& table, uint32_t code, const std::string& text) {
  for (int i = 0; i < 4; ++i) table.push_back(static_cast<uint8_t>(code >> (8 * i)));
  std::vector<uint8_t> field(kNavigationErrorTextCapacity, 0);
  std::memcpy(field.data(), text.data(), std::min(text.size(), field.size()));
  table.insert(table.end(), field.begin(), field.end());
}

TEST(NavigationErrors, StoredAs46FixedRowsAndATerminator) {
  std::span<const uint8_t> table = navigationErrorTable();
  ASSERT_EQ(table.size(), 47 * kNavigationErrorRowSize);
  // Little-endian codes: 400 first, 0x800C0300 last, then the 0 row.
  EXPECT_EQ(table[0], 0x90);
  EXPECT_EQ(table[1], 0x01);
  EXPECT_EQ(rowCode(table, 45), 0x800C0300u);
  EXPECT_EQ(rowCode(table, 46), 0u);
  std::set<uint32_t> codes;
  for (std::size_t row = 0; row < 46; ++row) {
    uint32_t code = rowCode(table, row);
    EXPECT_TRUE(codes.insert(code).second) << "duplicate code " << code;
    const char* text = reinterpret_cast<const char*>(table.data() + row * kNavigationErrorRowSize + 4);
    EXPECT_GT(std::strlen(text), 0u) << code;
    EXPECT_EQ(text[kNavigationErrorTextCapacity - 1], '\0') << code;
  }
}

TEST(NavigationErrors, LookupByExactCode) {
  struct Case {
    uint32_t code;
    const char* text;  // nullptr: no text
  };
  const Case cases[] = {
      {400, "Invalid syntax."},
      {404, "Object not found."},
      {449, "Retry after doing the appropriate action."},
      {501, "Server does not support the functionality required to fulfill the request."},
      {505, "HTTP version not supported."},
      {0x800C0002, "URL string is not valid."},
      {0x800C0005, "Requested resource is not found."},
      {0x800C0014, "Attempt to redirect the navigation failed."},
      {0x800C0300, "Cannot replace a protected System File Protection (SFP) file."},
      {0, nullptr},
      {200, nullptr},
      {416, nullptr},
      {0x800C0011, nullptr},
      {0x000C0005, nullptr},
  };
  for (const Case& c : cases) {
    std::optional<std::string_view> text = navigationErrorText(c.code);
    if (c.text) {
      ASSERT_TRUE(text.has_value()) << c.code;
      EXPECT_EQ(*text, c.text);
    } else {
      EXPECT_FALSE(text.has_value()) << c.code;
    }
  }
}

TEST(NavigationErrors, CopyIntoDestination) {
  char destination[kNavigationErrorTextCapacity];
  std::memset(destination, 'z', sizeof destination);
  EXPECT_FALSE(navigationErrorText(200, destination));
  EXPECT_EQ(destination[0], 'z');
  EXPECT_EQ(destination[kNavigationErrorTextCapacity - 1], 'z');

  ASSERT_TRUE(navigationErrorText(0x800C000B, destination));
  EXPECT_STREQ(destination, "Connection timed out.");
  EXPECT_EQ(destination[kNavigationErrorTextCapacity - 1], '\0');
}

TEST(NavigationErrors, FirstRowWinsAndTheZeroRowEndsTheWalk) {
  std::vector<uint8_t> table;
  appendRow(table, 7, "first");
  appendRow(table, 7, "second");
  appendRow(table, 9, std::string(kNavigationErrorTextCapacity, 'L'));  // fills its field
  appendRow(table, 0, "");
  appendRow(table, 8, "after the end");
  EXPECT_EQ(lookupNavigationError(table, 7), "first");
  EXPECT_EQ(lookupNavigationError(table, 9), std::string(kNavigationErrorTextCapacity - 1, 'L'));
  EXPECT_FALSE(lookupNavigationError(table, 8).has_value());
  // A table cut inside a row is walked only over its whole rows.
  std::vector<uint8_t> cut(table.begin(), table.begin() + kNavigationErrorRowSize + 10);
  EXPECT_EQ(lookupNavigationError(cut, 7), "first");
  EXPECT_FALSE(lookupNavigationError(cut, 9).has_value());
}

}  // namespace
}  // namespace larkspur::submit
