#include "update/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace larkspur::update {
namespace {

TEST(Sha256, StandardTestVectors) {
  struct Case {
    std::string message;
    const char* digest;
  };
  const Case cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) EXPECT_EQ(sha256Hex(c.message), c.digest) << c.message.substr(0, 20);
}

TEST(Sha256, LengthsAroundTheBlockAndPaddingEdges) {
  // 55 bytes still fit the length in the last block, 56 need another block.
  struct Case {
    std::size_t length;
    const char* digest;
  };
  const Case cases[] = {
      {0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {55, "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {56, "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
      {63, "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2"},
      {64, "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
      {65, "9537c5fdf120482f7d58d25e9ed583f52c02b4e304ea814db1633ad565aed7e9"},
      {119, "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
      {120, "13f05a0b594787f5ecd315edc96141bd3243203d1b7d4f0836f37308b276ba98"},
  };
  for (const Case& c : cases) EXPECT_EQ(sha256Hex(std::string(c.length, 'x')), c.digest) << c.length;
}

TEST(Sha256, PiecesOfAnySizeGiveTheSameDigest) {
  std::string message;
  for (int i = 0; i < 1000; ++i) message += static_cast<char>(i * 7 + 3);
  const std::string whole = sha256Hex(message);
  for (std::size_t piece : {1u, 3u, 63u, 64u, 65u, 127u, 999u}) {
    Sha256 hash;
    for (std::size_t at = 0; at < message.size(); at += piece) hash.update(std::string_view(message).substr(at, piece));
    EXPECT_EQ(toHex(hash.finish()), whole) << piece;
  }
  Sha256 reused;
  reused.update("first stream");
  reused.finish();
  reused.update("abc");
  EXPECT_EQ(toHex(reused.finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad")
      << "finish starts a new stream";
}

}  // namespace
}  // namespace larkspur::update
