#include "update/program_exchange.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/support/temp_dir.h"

namespace larkspur::update {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class ProgramExchangeTest : public ::testing::Test, protected test::InstalledProgram {
 protected:
  void SetUp() override {
    writeFile(downloaded, "new program");
    fs::permissions(downloaded, fs::perms(0600), fs::perm_options::replace);
  }

  // Every name in the program folder.
  std::set<std::string> folderNames() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
  }

  void expectUntouched() {
    EXPECT_EQ(readFile(program), "old program");
    EXPECT_EQ(readFile(downloaded), "new program") << "the download stays for another try";
  }

  fs::path downloaded = downloads / "larkspur";
  fs::path backup = folder / "OldExecutable.bak";
};

TEST_F(ProgramExchangeTest, NewProgramInPlaceOldOneKeptAsBackup) {
  writeFile(backup, "older backup");
  ASSERT_TRUE(exchangeProgramFile(program, downloaded));
  EXPECT_EQ(readFile(program), "new program");
  EXPECT_EQ(readFile(backup), "old program");
  EXPECT_EQ(fs::status(program).permissions(), fs::perms(0755)) << "the new program can be started";
  EXPECT_FALSE(fs::exists(downloaded));
  EXPECT_EQ(folderNames(), (std::set<std::string>{"larkspur", "OldExecutable.bak"}));
}

TEST_F(ProgramExchangeTest, ARunningProgramKeepsItsFileUnderTheBackupName) {
  // What the running process has open is the backup now, byte for byte.
  const auto before = fs::hard_link_count(program);
  ASSERT_TRUE(exchangeProgramFile(program, downloaded));
  EXPECT_EQ(fs::hard_link_count(backup), before);
  EXPECT_EQ(readFile(backup), "old program");
}

TEST_F(ProgramExchangeTest, SecondRenameFailingPutsTheOldProgramBack) {
  int calls = 0;
  ExchangeFileOps ops;
  ops.rename = [&](const fs::path& from, const fs::path& to) -> std::error_code {
    ++calls;
    if (to == program && from != backup) return std::make_error_code(std::errc::io_error);
    std::error_code error;
    fs::rename(from, to, error);
    return error;
  };
  EXPECT_FALSE(exchangeProgramFile(program, downloaded, ops));
  EXPECT_EQ(calls, 3) << "old to backup, new to program (fails), backup back to program";
  expectUntouched();
  EXPECT_EQ(fs::status(program).permissions(), fs::perms(0755));
  EXPECT_EQ(folderNames(), (std::set<std::string>{"larkspur"})) << "no staged copy and no backup left";
}

TEST_F(ProgramExchangeTest, FirstRenameFailingTouchesNothing) {
  ExchangeFileOps ops;
  ops.rename = [](const fs::path&, const fs::path&) { return std::make_error_code(std::errc::permission_denied); };
  EXPECT_FALSE(exchangeProgramFile(program, downloaded, ops));
  expectUntouched();
  EXPECT_EQ(folderNames(), (std::set<std::string>{"larkspur"}));
}

TEST_F(ProgramExchangeTest, FolderThatCannotTakeTheNewFileFailsCleanly) {
  // Works for root too: the staging name is taken by a folder with contents,
  // so the new program cannot be written beside the old one.
  const fs::path blocker = folder / ".larkspur.update";
  fs::create_directory(blocker);
  writeFile(blocker / "keep", "x");
  EXPECT_FALSE(exchangeProgramFile(program, downloaded));
  expectUntouched();
  EXPECT_FALSE(fs::exists(backup));
  EXPECT_EQ(readFile(blocker / "keep"), "x");
}

TEST_F(ProgramExchangeTest, MissingFilesFail) {
  fs::remove(downloaded);
  EXPECT_FALSE(exchangeProgramFile(program, downloaded));
  EXPECT_EQ(readFile(program), "old program");
  EXPECT_EQ(folderNames(), (std::set<std::string>{"larkspur"}));

  writeFile(downloaded, "new program");
  fs::remove(program);
  EXPECT_FALSE(exchangeProgramFile(program, downloaded));
  EXPECT_TRUE(folderNames().empty());
  EXPECT_FALSE(exchangeProgramFile(fs::path(), downloaded));
}

TEST_F(ProgramExchangeTest, LeftoverStagedFileIsReplaced) {
  writeFile(folder / ".larkspur.update", "from an interrupted run");
  ASSERT_TRUE(exchangeProgramFile(program, downloaded));
  EXPECT_EQ(readFile(program), "new program");
  EXPECT_FALSE(fs::exists(folder / ".larkspur.update"));
}

TEST_F(ProgramExchangeTest, ProgramRunningFromTheBackupIsRefused) {
  // After an update without a restart the running file is the backup itself.
  writeFile(backup, "running old program");
  EXPECT_FALSE(exchangeProgramFile(backup, downloaded));
  EXPECT_EQ(readFile(backup), "running old program");
  EXPECT_EQ(readFile(program), "old program");
  EXPECT_EQ(folderNames(), (std::set<std::string>{"larkspur", "OldExecutable.bak"}));
}

TEST(RunningProgram, PathIsThisTestProgram) {
  const fs::path path = runningProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(path.is_absolute());
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(path.filename(), "update_tests");
}

}  // namespace
}  // namespace larkspur::update
