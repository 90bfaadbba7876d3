#include "core/rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace larkspur::core {
namespace {

std::vector<uint8_t> fromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  std::string digits;
  for (char c : hex) {
    if (c != ' ') digits += c;
  }
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

struct KeystreamVector {
  const char* key;
  std::size_t offset;
  const char* keystream;  // 16 bytes at offset
};

// Published RC4 keystream vectors for 64-bit keys (RFC 6229).
const KeystreamVector kVectors[] = {
    {"0102030405060708", 0, "97ab8a1bf0afb961 32f2f67258da15a8"},
    {"0102030405060708", 16, "8263efdb45c4a186 84ef87e6b19e5b09"},
    {"0102030405060708", 240, "9636ebc9841926f4 f7d1f362bddf6e18"},
    {"0102030405060708", 256, "d0a990ff2c05fef5 b90373c9ff4b870a"},
    {"0102030405060708", 496, "73239f1db7f41d80 b643c0c52518ec63"},
    {"0102030405060708", 512, "163b319923a6bdb4 527c626126703c0f"},
    {"0102030405060708", 4080, "d5fa5a3469d29aaa f83d23589db8c85b"},
    {"0102030405060708", 4096, "3fb46e2c8f0f068e dce8cdcd7dfc5862"},
    {"641910833222772a", 0, "bbf609de9413172d 07660cb680716926"},
    {"641910833222772a", 16, "46101a6dab43115d 6c522b4fe93604a9"},
    {"641910833222772a", 240, "cbe1fff21c96f3ee f61e8fe0542cbdf0"},
    {"641910833222772a", 256, "347938bffa4009c5 12cfb4034b0dd1a7"},
    {"641910833222772a", 496, "7867a786d00a7147 904d76ddf1e520e3"},
    {"641910833222772a", 512, "8d3e9e1caefcccb3 fbf8d18f64120b32"},
};

TEST(Rc4, MatchesPublishedKeystreams) {
  for (const KeystreamVector& v : kVectors) {
    SCOPED_TRACE(std::string(v.key) + " @" + std::to_string(v.offset));
    std::vector<uint8_t> key = fromHex(v.key);
    std::vector<uint8_t> data(v.offset + 16, 0);  // zeros encipher to the keystream
    rc4(key, data);
    std::vector<uint8_t> got(data.begin() + static_cast<std::ptrdiff_t>(v.offset), data.end());
    EXPECT_EQ(got, fromHex(v.keystream));
  }
}

TEST(Rc4, EachCallStartsFromAFreshKeySchedule) {
  std::vector<uint8_t> key = fromHex("0102030405060708");
  std::vector<uint8_t> first(16, 0), second(16, 0);
  rc4(key, first);
  rc4(key, second);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, fromHex("97ab8a1bf0afb961 32f2f67258da15a8"));
}

TEST(Rc4, StorageKeyIsTheFirstEightBytesOfTheKeyText) {
  std::span<const uint8_t> key = storageKey();
  EXPECT_EQ(std::string(key.begin(), key.end()), "kq7!mzrt");
}

TEST(Rc4, StorageCipherRoundTripsAndMatchesKnownCiphertext) {
  // The 30-byte serialised table holding the integer 7 under "rank".
  const std::vector<uint8_t> plain =
      fromHex("01000000 01000000 12000000 0100 04000000 04000000 72616e6b 07000000");
  std::vector<uint8_t> data = plain;
  rc4Storage(data);
  EXPECT_EQ(data, fromHex("302287176d6b93fed1872c463c0e8a80627779e3570ee4504db5714b760e"));
  rc4Storage(data);
  EXPECT_EQ(data, plain);
}

TEST(Rc4, EmptyDataIsFine) {
  std::vector<uint8_t> none;
  rc4Storage(none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace larkspur::core
