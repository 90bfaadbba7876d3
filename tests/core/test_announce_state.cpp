// The announcement state in the project file: new named entries after every
// other entry, so projects without them keep their bytes and older readers
// find everything else where it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/builtin_engines.h"
#include "core/fixed_text.h"
#include "core/project.h"
#include "core/project_file.h"
#include "core/property_table.h"
#include "core/rc4.h"
#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

AnnounceState sampleState(std::size_t sent) {
  AnnounceState state;
  state.key = "0123456789abcdef0123456789abcdef";
  state.keyHost = "www.example.com";
  state.addLog({"2024-05-01T12:00:00Z", "https://api.indexnow.org/indexnow", 4, 200, "OK: the URLs were received."});
  state.addLog({"2024-05-02T08:30:00Z", "https://www.bing.com/indexnow", 1, 429, "Too many requests."});
  for (std::size_t i = 0; i < sent; ++i) {
    state.announced["https://www.example.com/p" + std::to_string(i)] = i % 2 ? "2024-05-0" + std::to_string(i % 9 + 1) : "";
  }
  return state;
}

TEST(AnnounceState, RoundTripsAfterEveryExistingEntryWhichKeepItsBytes) {
  Project project;
  project.newProject();
  copyText(project.profile.url, "https://www.example.com/");
  copyText(project.profile.title, "Example");
  project.links.append(LinkRecord{});

  struct Case {
    const char* name;
    AnnounceState state;
  } cases[] = {
      {"none", AnnounceState{}},
      {"key only", [] { AnnounceState s; s.key = "abcdefgh"; s.keyHost = "www.example.com"; return s; }()},
      {"log and URLs", sampleState(3)},
      {"many URLs", sampleState(60000)},
  };
  auto plain = buildProjectBuffer(project.profile, project.engines, project.links);
  ASSERT_TRUE(plain);
  rc4Storage(*plain);
  const std::size_t header = 12;  // format, entry count, payload length
  for (const Case& c : cases) {
    auto bytes = buildProjectBuffer(project.profile, project.engines, project.links, c.state);
    ASSERT_TRUE(bytes) << c.name;
    std::vector<uint8_t> clear = *bytes;
    rc4Storage(clear);
    ASSERT_GE(clear.size(), plain->size()) << c.name;
    EXPECT_TRUE(std::equal(plain->begin(), plain->begin() + 4, clear.begin())) << c.name;
    EXPECT_TRUE(std::equal(plain->begin() + header, plain->end(), clear.begin() + header)) << c.name;
    if (c.state.empty()) {
      EXPECT_EQ(clear, *plain) << c.name;
    }

    // A reader that knows the entries gets the state back; one that does not
    // loads the rest as before.
    Project loaded;
    ASSERT_TRUE(loaded.load("p.lkr", *bytes).ok()) << c.name;
    EXPECT_EQ(loaded.announce, c.state) << c.name;
    EXPECT_STREQ(loaded.profile.url, "https://www.example.com/");
    EXPECT_EQ(loaded.links.size(), 1u);
    WebsiteProfile profile;
    EngineTable engines;
    LinkList links;
    PpcList ppc;
    ASSERT_TRUE(loadProjectBuffer(*bytes, profile, engines, links, ppc, builtinEngines()).ok()) << c.name;
    EXPECT_STREQ(profile.title, "Example");
  }
}

TEST(AnnounceState, SavedAndOpenedWithTheProjectAndEmptiedByNew) {
  test::TempDir dir;
  const std::filesystem::path path = dir.path() / "site.lkr";
  Project project;
  project.newProject();
  project.announce = sampleState(5);
  ASSERT_TRUE(project.save(path).ok());
  Project opened;
  ASSERT_TRUE(opened.open(path).ok());
  EXPECT_EQ(opened.announce, project.announce);
  opened.newProject();
  EXPECT_TRUE(opened.announce.empty());

  AnnounceState capped;
  for (std::size_t i = 0; i < kMaxAnnounceLogEntries + 5; ++i) capped.addLog({std::to_string(i), "e", 1, 200, "OK"});
  EXPECT_EQ(capped.log.size(), kMaxAnnounceLogEntries);
  EXPECT_EQ(capped.log.front().time, "5");
}

}  // namespace
}  // namespace larkspur::core
