#include "update/update_description.h"
#include "update/update_download.h"
#include "update/update_version.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "larkspur_version.h"

namespace larkspur::update {
namespace {

TEST(UpdateVersion, ParsesOneToFourDigitParts) {
  struct Case {
    const char* text;
    bool valid;
    ProgramVersion version;
  };
  const Case cases[] = {
      {"2.5.0.700", true, {{2, 5, 0, 700}}},
      {"2.4", true, {{2, 4, 0, 0}}},
      {"7", true, {{7, 0, 0, 0}}},
      {"..2..5.", true, {{2, 5, 0, 0}}},  // runs of dots and end dots only separate
      {"010.0002", true, {{10, 2, 0, 0}}},
      {"18446744073709551615", true, {{UINT64_MAX, 0, 0, 0}}},
      {"", false, {}},
      {"...", false, {}},
      {"1.2.3.4.5", false, {}},
      {"1.2.3.4.", true, {{1, 2, 3, 4}}},
      {"2.5\n", false, {}},
      {"2.5\r", false, {}},
      {" 2.5", false, {}},
      {"2 .5", false, {}},
      {"+2.5", false, {}},
      {"-2.5", false, {}},
      {"2.5a", false, {}},
      {"2,5", false, {}},
      {"18446744073709551616", false, {}},  // beyond 64 bits
  };
  for (const Case& c : cases) {
    auto parsed = parseProgramVersion(c.text);
    EXPECT_EQ(parsed.has_value(), c.valid) << '"' << c.text << '"';
    if (parsed && c.valid) {
      EXPECT_EQ(*parsed, c.version) << c.text;
    }
  }
}

TEST(UpdateVersion, ComparesPartByPart) {
  struct Case {
    const char* candidate;
    const char* current;
    bool newer;
  };
  const Case cases[] = {
      {"2.10", "2.9.9.9", true},   {"2.9.9.9", "2.10", false}, {"2.4", "2.4.0.0", false},
      {"2.4.0.0", "2.4", false},   {"2.4.0.1", "2.4", true},   {"3", "2.99.99.99", true},
      {"1.0", "1.0", false},       {"1.0.0.1", "1.0.1", false}, {"1.0.1", "1.0.0.1", true},
      {"2.5\n", "1.0", false},     {"x", "1.0", false},        {"", "1.0", false},
      {"9.9", "", false},          {"9.9.9.9.9", "1.0", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isNewerVersion(c.candidate, c.current), c.newer) << c.candidate << " vs " << c.current;
  }
}

TEST(UpdateVersion, FileVersionTextAndOwnVersion) {
  EXPECT_EQ(formatFileVersion(2, 5, 0, 700), "2.5.0.700");
  EXPECT_EQ(formatFileVersion(2, 5, 1, 0), "2.5.1.0");
  EXPECT_EQ(formatFileVersion(2, 5, 0, 0), "2.5");
  EXPECT_EQ(formatFileVersion(0, 1, 0, 0), "0.1");
  EXPECT_EQ(formatFileVersion(0, 0, 0, 3), "0.0.0.3");
  EXPECT_EQ(formatFileVersion(0, 0, 0, 0), "");
  EXPECT_EQ(formatFileVersion(65535, 0, 0, 0), "65535.0");

  EXPECT_EQ(ownProgramVersion(), formatFileVersion(LARKSPUR_VERSION_MAJOR, LARKSPUR_VERSION_MINOR,
                                                   LARKSPUR_VERSION_PATCH, 0));
  EXPECT_TRUE(parseProgramVersion(ownProgramVersion()).has_value()) << ownProgramVersion();
  EXPECT_TRUE(std::string(LARKSPUR_VERSION).starts_with(ownProgramVersion()));
}

const std::string kDigest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

TEST(UpdateDescription, SplitsAtCommasSkippingEmptyPieces) {
  struct Case {
    std::string text;
    std::string version;
    uint64_t size;
    std::string sha256;
  };
  std::string upper = kDigest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const Case cases[] = {
      {"2.5.0.700,1500", "2.5.0.700", 1500, ""},
      {"2.5.0.700,1500," + kDigest, "2.5.0.700", 1500, kDigest},
      {"2.5.0.700,1500," + kDigest + "\r\n", "2.5.0.700", 1500, kDigest},
      {"2.5.0.700,1500, " + upper + " ,extra,pieces", "2.5.0.700", 1500, kDigest},
      {",,2.5,,1500,,," + kDigest, "2.5", 1500, kDigest},
      {"2.5.0.700", "2.5.0.700", 0, ""},         // no size at all
      {"2.5\n", "2.5\n", 0, ""},                 // kept as written: invalid later
      {"7,1500", "", 1500, ""},                  // one character is not taken
      {"2.5,1500\n", "2.5", 1500, ""},
      {"2.5, 1500bytes", "2.5", 1500, ""},
      {"2.5,bytes", "2.5", 0, ""},
      {"2.5,-5", "2.5", 0, ""},
      {"2.5,99999999999999999999999", "2.5", 0, ""},  // beyond 64 bits: no size
      {"2.5,5000000000", "2.5", 5000000000ull, ""},     // beyond 32 bits is fine
      {"2.5,1500," + kDigest.substr(1), "2.5", 1500, ""},
      {"2.5,1500," + kDigest + "0", "2.5", 1500, ""},
      {"2.5,1500,g" + kDigest.substr(1), "2.5", 1500, ""},
      {std::string("2.5,15\0" "00", 9), "2.5", 15, ""},  // the text ends at a NUL byte
      {"", "", 0, ""},
  };
  for (const Case& c : cases) {
    UpdateDescription d = parseUpdateDescription(c.text);
    EXPECT_EQ(d.version, c.version) << c.text;
    EXPECT_EQ(d.size, c.size) << c.text;
    EXPECT_EQ(d.sha256, c.sha256) << c.text;
  }
}

TEST(UpdateDescription, NothingBeyondTheLimitIsRead) {
  // Padding pushes the digest across the limit: the text ends inside it.
  const std::string head = "2.5,1500,";
  std::string text = std::string(kUpdateDescriptionLimit - head.size() - 10, ',') + head + kDigest;
  EXPECT_EQ(parseUpdateDescription(text).sha256, "");
  EXPECT_EQ(parseUpdateDescription(text).version, "2.5");
  // The same pieces within the limit, garbage after it.
  text = head + kDigest + "," + std::string(20000, 'x');
  EXPECT_EQ(parseUpdateDescription(text).sha256, kDigest);
  // Exactly the limit: the last byte still counts.
  text = std::string(kUpdateDescriptionLimit - 4, ',') + "2.57";
  ASSERT_EQ(text.size(), kUpdateDescriptionLimit);
  EXPECT_EQ(parseUpdateDescription(text).version, "2.57");
  EXPECT_EQ(parseUpdateDescription(text + "9").version, "2.57");
}

TEST(UpdateDownload, PercentInSixtyFourBits) {
  struct Case {
    uint64_t done;
    uint64_t expected;
    int64_t percent;
  };
  const Case cases[] = {
      {0, 1500, 0},
      {8192, 16384, 50},
      {1499, 1500, 99},
      {1500, 1500, 100},
      {3000, 1500, 100},
      {5, 0, 0},
      // 32-bit arithmetic would wrap here (more than 42,949,672 bytes).
      {50000000, 100000000, 50},
      {4294967295ull, 4294967296ull, 99},
      {UINT64_MAX / 2, UINT64_MAX, 49},
      {UINT64_MAX - 1, UINT64_MAX, 99},
  };
  for (const Case& c : cases) EXPECT_EQ(downloadPercent(c.done, c.expected), c.percent) << c.done << "/" << c.expected;
}

}  // namespace
}  // namespace larkspur::update
