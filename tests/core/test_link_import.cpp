#include "core/link_import.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/text_check.h"
#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

using test::TempDir;
using test::writeFile;

constexpr int32_t kNow = 1'700'000'000;

std::vector<std::string> urls(const LinkList& list) {
  std::vector<std::string> out;
  for (const auto& r : list.snapshot()) out.emplace_back(r->url.view());
  return out;
}

TEST(ImportedUrl, TakesPiecesThatMentionHttpTrimmed) {
  struct Case {
    std::string piece;
    std::string url;
  };
  const Case cases[] = {
      {"http://a.example/\n", "http://a.example/"},
      {"  HTTP://UPPER.EXAMPLE/X \t\r\n", "HTTP://UPPER.EXAMPLE/X"},
      {"see hTtP here\n", "see hTtP here"},  // any line naming the word, address or not
      {"no address\n", ""},
      {"htt p://broken\n", ""},
      {"\t\thttps://b.example\t\n", "https://b.example"},
      {std::string("\0http://hidden/\n", 15), ""},          // the piece ends at its NUL
      {std::string("http://shown/\0garbage\n", 22), "http://shown/"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(importedUrl(c.piece), c.url) << c.piece;
}

TEST(ImportLinks, AddsEveryHttpLineWithTimeAddedAndNoDuplicateCheck) {
  TempDir dir;
  const auto file = dir.file("links.txt");
  writeFile(file, "http://a.example/page\nno address here\n  HTTP://UPPER.EXAMPLE/X \t\r\nhttp://last.example");
  LinkList list;
  ImportResult first = importLinks(list, file, kNow);
  ASSERT_TRUE(first.status.ok());
  EXPECT_EQ(first.added, 3u);
  EXPECT_EQ(urls(list), (std::vector<std::string>{"http://a.example/page", "HTTP://UPPER.EXAMPLE/X",
                                                  "http://last.example"}));
  for (const auto& r : list.snapshot()) {
    EXPECT_EQ(r->add_time, kNow);
    EXPECT_EQ(r->page_rank, 0);
    EXPECT_EQ(r->link_text, "");
  }
  ImportResult second = importLinks(list, file, kNow);
  EXPECT_EQ(second.added, 3u);
  EXPECT_EQ(list.size(), 6u);  // the same links again
}

TEST(ImportLinks, ReadsLongLinesInPiecesOf259) {
  TempDir dir;
  const auto file = dir.file("long.txt");
  std::string one = "http://one.example/";
  one.resize(kImportPieceLength, 'x');
  std::string two = "http://two.example/";
  two.resize(kImportPieceLength, 'y');
  std::string exact = "http://exact.example/";
  exact.resize(kImportPieceLength, 'z');
  // A 259-byte line leaves its line end as a piece of its own.
  writeFile(file, one + two + "tail without the word\n" + exact + "\n" + "http://after/\n");
  LinkList list;
  ImportResult r = importLinks(list, file, kNow);
  EXPECT_EQ(r.added, 4u);
  EXPECT_EQ(urls(list), (std::vector<std::string>{one, two, exact, "http://after/"}));
}

TEST(ImportLinks, RefusesWhatIsNotAReadableFile) {
  TempDir dir;
  LinkList list;
  const std::filesystem::path refused[] = {dir.file("missing.txt"), dir.path(), "/dev/zero", "/dev/null"};
  for (const auto& path : refused) {
    ImportResult r = importLinks(list, path, kNow);
    EXPECT_EQ(r.status.message, "Open import file error! ") << path;
    EXPECT_EQ(r.added, 0u);
  }
  EXPECT_EQ(list.size(), 0u);
}

TEST(ImportLinks, BinaryDataIsReadToTheEndWithoutHarm) {
  TempDir dir;
  const auto file = dir.file("binary.bin");
  std::mt19937 random(7);
  std::string bytes(4 * 1024 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  // Pieces that hold the word before any NUL become links when they are
  // text: valid UTF-8 without control characters; the others are counted.
  bytes += "\nhttp://in.binary/\xff\xfe\x01\nhttp://in.binary/\x1b[2J\nhttp://in.binary/caf\xc3\xa9\n";
  writeFile(file, bytes);
  LinkList list;
  ImportResult r = importLinks(list, file, kNow);
  ASSERT_TRUE(r.status.ok());
  ASSERT_GE(list.size(), 1u);
  EXPECT_GE(r.refused, 2u);
  EXPECT_EQ(list.at(list.size() - 1)->url.view(), "http://in.binary/caf\xc3\xa9");
  for (const auto& rec : list.snapshot()) {
    EXPECT_LE(rec->url.view().size(), kImportPieceLength);
    EXPECT_FALSE(storedTextProblem(rec->url.view())) << rec->url.view();
  }
}

TEST(ImportLinks, StopsAtTheLinkLimit) {
  TempDir dir;
  const auto file = dir.file("many.txt");
  writeFile(file, "http://1/\nhttp://2/\nhttp://3/\nhttp://4/\nhttp://5/\n");
  LinkList list;
  ImportResult r = importLinks(list, file, kNow, 3);
  EXPECT_TRUE(r.status.ok());
  EXPECT_EQ(r.added, 3u);
  EXPECT_TRUE(r.limitReached);
  EXPECT_EQ(urls(list), (std::vector<std::string>{"http://1/", "http://2/", "http://3/"}));
}

}  // namespace
}  // namespace larkspur::core
