#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/property_table.h"
#include "core/rc4.h"
#include "core/settings_store.h"
#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

using larkspur::test::readFile;
using larkspur::test::TempDir;
using larkspur::test::writeFile;

std::string littleEndian(uint32_t v) {
  std::string s(4, '\0');
  for (int b = 0; b < 4; ++b) s[b] = static_cast<char>(v >> (8 * b));
  return s;
}

std::string plainBlob(const std::filesystem::path& folder) {
  std::string blob = readFile(folder / "sysdata");
  std::vector<uint8_t> bytes(blob.begin(), blob.end());
  rc4Storage(bytes);
  return std::string(bytes.begin(), bytes.end());
}

void writeBlob(const std::filesystem::path& folder, const PropertyTable& table) {
  auto bytes = table.serialise();
  ASSERT_TRUE(bytes);
  rc4Storage(*bytes);
  writeFile(folder / "sysdata", std::string(bytes->begin(), bytes->end()));
  writeFile(folder / "sysdatasize", littleEndian(static_cast<uint32_t>(bytes->size())));
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path folder = dir.path() / "NORVELLA" / "Larkspur";
  SettingsStore store{folder};
};

TEST_F(SettingsStoreTest, FirstRunWritesTheBlobWithAnEmptyLastProject) {
  Settings s;
  s.last_project = "stale";
  ASSERT_TRUE(store.load(s).ok());
  EXPECT_EQ(s.last_project, "");
  EXPECT_EQ(s.engine_column_widths, Settings::defaultEngineColumnWidths());
  EXPECT_EQ(s.link_column_widths, Settings::defaultLinkColumnWidths());

  // The first-run blob holds only `userfile`, empty: 12 + 10 + 8 bytes.
  const std::string expected("\x01\0\0\0\x01\0\0\0\x12\0\0\0\x02\0\x08\0\0\0\0\0\0\0userfile", 30);
  EXPECT_EQ(plainBlob(folder), expected);
  EXPECT_EQ(readFile(folder / "sysdatasize"), littleEndian(30));
  struct stat st {};
  ASSERT_EQ(::stat((folder / "sysdata").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsStoreTest, DefaultWidthArrays) {
  ColumnWidths engine = Settings::defaultEngineColumnWidths();
  ColumnWidths link = Settings::defaultLinkColumnWidths();
  const int32_t engineHead[] = {88, 88, 48, 48, 80};
  const int32_t linkHead[] = {330, 0, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 120, 120, 120};
  for (std::size_t i = 0; i < 32; ++i) {
    EXPECT_EQ(engine[i], i < 5 ? engineHead[i] : 100) << i;
    EXPECT_EQ(link[i], i < 15 ? linkHead[i] : 100) << i;
  }
}

TEST_F(SettingsStoreTest, SaveWritesTheThreeEntriesAndLoadReadsThemBack) {
  Settings s;
  s.last_project = "/home/me/projects/shop.lkr";
  s.engine_column_widths[4] = 123;
  s.link_column_widths[1] = 77;
  ASSERT_TRUE(store.save(s).ok());

  std::string plain = plainBlob(folder);
  auto table = PropertyTable::parse(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
  ASSERT_TRUE(table);
  ASSERT_EQ(table->entries().size(), 3u);
  EXPECT_EQ(table->entries()[0].name, "userfile");
  EXPECT_EQ(table->entries()[1].name, "linkme_column_width");
  EXPECT_EQ(table->entries()[1].type, kPropBinary);
  EXPECT_EQ(table->entries()[1].data.size(), 128u);
  EXPECT_EQ(table->entries()[2].name, "m_column_width");
  EXPECT_EQ(readFile(folder / "sysdatasize"), littleEndian(static_cast<uint32_t>(plain.size())));

  Settings back;
  ASSERT_TRUE(store.load(back).ok());
  EXPECT_EQ(back.last_project, s.last_project);
  EXPECT_EQ(back.engine_column_widths, s.engine_column_widths);
  EXPECT_EQ(back.link_column_widths, s.link_column_widths);
}

TEST_F(SettingsStoreTest, ALastProjectPathIsRecordedWholeOrNotAtAll) {
  struct Case {
    std::size_t length;
    bool recorded;
  };
  const Case cases[] = {{1, true}, {kLastProjectCapacity, true}, {kLastProjectCapacity + 1, false}, {4000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string path = "/" + std::string(c.length - 1, 'p');
    Settings s;
    s.last_project = "/old.lkr";
    const Status recorded = recordLastProject(s, path);
    EXPECT_EQ(recorded.ok(), c.recorded);
    EXPECT_EQ(s.last_project, c.recorded ? path : "/old.lkr");
    if (!c.recorded) {
      EXPECT_NE(recorded.message.find("too long"), std::string::npos);
    }

    // What is recorded comes back whole from the blob.
    ASSERT_TRUE(store.save(s).ok());
    Settings back;
    ASSERT_TRUE(store.load(back).ok());
    EXPECT_EQ(back.last_project, s.last_project);
  }
}

TEST_F(SettingsStoreTest, MissingOrInconsistentSizeRecreatesTheFirstRunBlob) {
  Settings s;
  s.last_project = "/p.lkr";
  ASSERT_TRUE(store.save(s).ok());
  const std::string sizes[] = {"", littleEndian(0), littleEndian(5), "\x01\x02"};
  for (const std::string& size : sizes) {
    ASSERT_TRUE(store.save(s).ok());
    if (size.empty()) {
      std::filesystem::remove(folder / "sysdatasize");
    } else {
      writeFile(folder / "sysdatasize", size);
    }
    Settings loaded;
    ASSERT_TRUE(store.load(loaded).ok());
    EXPECT_EQ(loaded.last_project, "");
    EXPECT_EQ(readFile(folder / "sysdatasize"), littleEndian(30));
  }
}

TEST_F(SettingsStoreTest, WidthArrayStartingWithZeroTakesItsDefaults) {
  std::filesystem::create_directories(folder);
  PropertyTable t;
  t.addText("userfile", "/x.lkr");
  uint8_t zeros[128] = {};
  zeros[4] = 55;  // only the first width decides
  t.addBinary("linkme_column_width", zeros, sizeof zeros);
  t.addBinary("m_column_width", zeros, sizeof zeros);
  writeBlob(folder, t);
  Settings s;
  ASSERT_TRUE(store.load(s).ok());
  EXPECT_EQ(s.last_project, "/x.lkr");
  EXPECT_EQ(s.engine_column_widths, Settings::defaultEngineColumnWidths());
  EXPECT_EQ(s.link_column_widths, Settings::defaultLinkColumnWidths());
}

TEST_F(SettingsStoreTest, UnparsableBlobFailsWithLoadSystemDataError) {
  std::filesystem::create_directories(folder);
  writeFile(folder / "sysdata", "garbage!");
  writeFile(folder / "sysdatasize", littleEndian(8));
  Settings s;
  Status st = store.load(s);
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(st.message, "Load system data error!");
}

TEST_F(SettingsStoreTest, AFolderThatCannotBeCreatedGivesTheReadAndWriteMessages) {
  writeFile(dir.file("plain-file"), "x");
  SettingsStore blocked(dir.file("plain-file") / "NORVELLA" / "Larkspur");
  Settings s;
  EXPECT_EQ(blocked.load(s).message, "Read reg error,maybe you have not enough rights!");
  Status saved = blocked.save(s);
  EXPECT_FALSE(saved.ok());
  EXPECT_EQ(saved.message.rfind("Write reg error,maybe you have not enough rights!", 0), 0u);
}

TEST(SettingsFolder, FollowsXdgConfigHome) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(SettingsStore::defaultFolder(), std::filesystem::path("/tmp/cfg/NORVELLA/Larkspur"));
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(SettingsStore::defaultFolder().filename(), "Larkspur");
  EXPECT_NE(SettingsStore::defaultFolder().string().find(".config/NORVELLA"), std::string::npos);
  if (old) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace larkspur::core
