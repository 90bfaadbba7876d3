// The key file beyond what larkspur-cli services shows: lines that are not
// name=key, keys of other services, an unusable variable, a link.

#include "core/service_keys.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

TEST(ServiceKeys, OddLinesAreLeftOutUnquotedOthersKeptAndLinksNotFollowed) {
  test::TempDir dir;
  const ServiceKeyStore store(dir.path() / "sub");
  const std::string key = "K3y-0123456789abcdefXYZ";
  ASSERT_TRUE(store.store(KeyedService::kBingWebmaster, key).ok());
  test::writeFile(store.file(), "future-service=abc\nsecret-without-name\n" + test::readFile(store.file()));
  std::vector<std::string> notes;
  EXPECT_EQ(store.key(KeyedService::kBingWebmaster, &notes).key, key);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("Line 2 of"), std::string::npos) << notes[0];
  EXPECT_EQ(notes[0].find("secret"), std::string::npos);
  ASSERT_TRUE(store.store(KeyedService::kBingWebmaster, "").ok());
  EXPECT_EQ(test::readFile(store.file()).find(key), std::string::npos);
  EXPECT_NE(test::readFile(store.file()).find("future-service=abc\n"), std::string::npos);

  ::setenv("LARKSPUR_OPEN_PAGERANK_KEY", "two words", 1);
  ASSERT_TRUE(store.store(KeyedService::kOpenPageRank, key).ok());
  notes.clear();
  EXPECT_EQ(store.key(KeyedService::kOpenPageRank, &notes).source, KeySource::kFile);
  EXPECT_NE(notes.at(0).find("LARKSPUR_OPEN_PAGERANK_KEY holds a blank"), std::string::npos);
  ::unsetenv("LARKSPUR_OPEN_PAGERANK_KEY");

  std::filesystem::rename(store.file(), dir.file("elsewhere"));
  std::filesystem::create_symlink(dir.file("elsewhere"), store.file());
  EXPECT_FALSE(store.store(KeyedService::kOpenPageRank, key).ok());
  EXPECT_EQ(store.key(KeyedService::kOpenPageRank).source, KeySource::kNone);
  EXPECT_EQ(maskedKey(key), "K3y-\u2026fXYZ");
  EXPECT_EQ(maskedKey("short-key"), "set");
}

}  // namespace
}  // namespace larkspur::core
