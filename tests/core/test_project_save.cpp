// Saving over the user's files: the temporary file beside the project, stale
// temporary files of interrupted saves, saves through symbolic links and
// saves that fail.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/project.h"
#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

namespace fs = std::filesystem;
using larkspur::test::readFile;
using larkspur::test::TempDir;
using larkspur::test::writeFile;

constexpr uid_t kNobody = 65534;

mode_t modeOf(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::set<std::string> namesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

// The URL of the project saved at `path`, or the reason it does not open.
std::string savedUrl(const fs::path& path) {
  Project p;
  Status s = p.open(path);
  return s.ok() ? std::string(p.profile.url) : s.message;
}

class ProjectSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project.newProject();
    copyText(project.profile.url, "http://new.example/");
  }
  Status save(const fs::path& path) { return project.save(path); }

  TempDir dir;
  Project project;
};

TEST_F(ProjectSaveTest, TheTemporaryFileIsTheUsersAloneBesideTheTarget) {
  struct UmaskZero {
    mode_t old = ::umask(022);
    ~UmaskZero() { ::umask(old); }
  } umask022;
  const struct {
    const char* what;
    mode_t mode;
    bool exactMode;
    bool renameFails;  // a folder takes the target's place before the rename
    mode_t after;
  } cases[] = {
      {"exact bits 0644", 0644, true, false, 0644},
      {"bits 0666 under umask 022", 0666, false, false, 0644},
      {"exact bits 0600", 0600, true, false, 0600},
      {"the rename fails", 0644, true, true, 0},
  };
  const std::vector<uint8_t> bytes = {'n', 'e', 'w'};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    const fs::path target = folder.file("site.lkr");
    writeFile(target, "old");
    int seen = 0;
    Status s = writeFileAtomically(target, bytes, c.mode, c.exactMode, [&](const fs::path& tmp) {
      ++seen;
      EXPECT_EQ(tmp.parent_path(), target.parent_path());
      EXPECT_EQ(tmp.filename().string().rfind(temporaryFilePrefix(target), 0), 0u) << tmp;
      struct stat st {};
      ASSERT_EQ(::lstat(tmp.c_str(), &st), 0);
      EXPECT_TRUE(S_ISREG(st.st_mode));
      EXPECT_EQ(st.st_mode & 07777, 0600u);
      EXPECT_EQ(st.st_uid, ::geteuid());
      EXPECT_EQ(readFile(tmp), "new");
      EXPECT_EQ(readFile(target), "old");
      if (c.renameFails) {
        fs::remove(target);
        fs::create_directory(target);
        writeFile(target / "keep", "x");
      }
    });
    EXPECT_EQ(seen, 1);
    if (c.renameFails) {
      EXPECT_FALSE(s.ok());
      EXPECT_NE(s.message.find(std::strerror(EISDIR)), std::string::npos) << s.message;
      EXPECT_EQ(readFile(target / "keep"), "x");
    } else {
      ASSERT_TRUE(s.ok()) << s.message;
      EXPECT_EQ(readFile(target), "new");
      EXPECT_EQ(modeOf(target), c.after);
    }
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"site.lkr"});
  }
}

// A writer that takes a file name (the workbook library) fills the same
// temporary file; its failure is passed on as it is and leaves the old file.
TEST_F(ProjectSaveTest, AWriterByPathFillsTheTemporaryFileOrLeavesTheOldOne) {
  for (const bool writerFails : {false, true}) {
    SCOPED_TRACE(writerFails ? "the writer fails" : "the writer succeeds");
    TempDir folder;
    const fs::path target = folder.file("links.xls");
    writeFile(target, "old");
    Status s = writeFileAtomically(target, [&](const fs::path& tmp) {
      EXPECT_EQ(tmp.parent_path(), target.parent_path());
      EXPECT_EQ(readFile(tmp), "");
      writeFile(tmp, "new");
      return writerFails ? Status::failure("the sheet could not be added") : Status::success();
    });
    EXPECT_EQ(s.message, writerFails ? "the sheet could not be added" : "");
    EXPECT_EQ(readFile(target), writerFails ? "old" : "new");
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"links.xls"});
  }
}

TEST_F(ProjectSaveTest, StaleTemporaryFilesOfTheProjectAreRemovedAndNothingElse) {
  const fs::path file = dir.file("site.lkr");
  ASSERT_TRUE(save(file).ok());
  const std::string prefix = temporaryFilePrefix(file);
  TempDir elsewhere;
  writeFile(elsewhere.file("outside"), "outside");

  enum Kind { kFile, kFifo, kFolder, kLink, kOtherUser, kHeld };
  const struct {
    std::string name;
    Kind kind;
    bool removed;
  } cases[] = {
      {prefix + "a1B2c3", kFile, true},
      {prefix + "ZZZZZZ", kFile, true},
      {prefix + "abcde", kFile, false},
      {prefix + "abcdefg", kFile, false},
      {prefix + "abc-ef", kFile, false},
      {".other.lkr.larkspur-abcdef", kFile, false},
      {"site.lkr.larkspur-abcdef", kFile, false},
      {prefix + "fifo00", kFifo, false},
      {prefix + "folder", kFolder, false},
      {prefix + "linkto", kLink, false},
      {prefix + "others", kOtherUser, false},
      {prefix + "inSave", kHeld, false},
  };
  std::vector<int> locks;
  for (const auto& c : cases) {
    const fs::path path = dir.file(c.name);
    switch (c.kind) {
      case kFile:
      case kOtherUser:
      case kHeld:
        writeFile(path, "stale");
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        break;
      case kFifo:
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        break;
      case kFolder:
        fs::create_directory(path);
        break;
      case kLink:
        fs::create_symlink(elsewhere.file("outside"), path);
        break;
    }
    // Another user's file can only be made by the superuser; otherwise the
    // row checks a file of this user that nothing protects, so skip it.
    if (c.kind == kOtherUser) {
      if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
      } else {
        fs::remove(path);
      }
    }
    if (c.kind == kHeld) {
      // A save in progress holds a lock on its temporary file.
      int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(::flock(fd, LOCK_EX), 0);
      locks.push_back(fd);
    }
  }

  ASSERT_TRUE(save(file).ok());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.kind == kOtherUser && ::geteuid() != 0) continue;
    EXPECT_EQ(!fs::exists(fs::symlink_status(dir.file(c.name))), c.removed);
  }
  EXPECT_TRUE(fs::is_symlink(dir.file(prefix + "linkto")));
  EXPECT_EQ(readFile(elsewhere.file("outside")), "outside");
  EXPECT_EQ(savedUrl(file), "http://new.example/");
  for (int fd : locks) ::close(fd);
}

TEST_F(ProjectSaveTest, AnInterruptedSaveLeavesAPrivateTemporaryThatTheNextSaveRemoves) {
  const fs::path file = dir.file("site.lkr");
  ASSERT_TRUE(save(file).ok());
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  const std::string prefix = temporaryFilePrefix(file);
  auto temporaries = [&] {
    std::vector<std::string> found;
    for (const std::string& name : namesIn(dir.path())) {
      if (name.rfind(prefix, 0) == 0) found.push_back(name);
    }
    return found;
  };
  // A child saves over and over and is killed while a temporary file exists;
  // now and then the kill lands after a rename, so a few rounds may be needed.
  for (int round = 0; round < 50 && temporaries().empty(); ++round) {
    pid_t child = ::fork();
    if (child == 0) {
      for (;;) (void)save(file);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (temporaries().empty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  std::vector<std::string> left = temporaries();
  ASSERT_FALSE(left.empty());
  for (const std::string& name : left) EXPECT_EQ(modeOf(dir.file(name)), 0600u) << name;
  EXPECT_EQ(modeOf(file), 0644u);

  copyText(project.profile.url, "http://after.example/");
  ASSERT_TRUE(save(file).ok());
  EXPECT_TRUE(temporaries().empty());
  EXPECT_EQ(savedUrl(file), "http://after.example/");
  EXPECT_EQ(modeOf(file), 0644u);
}

TEST_F(ProjectSaveTest, ASaveThroughASymbolicLinkWritesItsTargetAndKeepsTheLink) {
  const fs::path real = dir.file("real");
  fs::create_directory(real);
  const struct {
    const char* what;
    std::string linkText;  // as the link holds it, relative to the link's folder
    bool targetExists;
    mode_t after;
  } cases[] = {
      {"relative link", "real/site.lkr", true, 0640},
      {"absolute link", (real / "site.lkr").string(), true, 0640},
      {"link to a link", "real/hop.lkr", true, 0640},
      {"link to a file not made yet", "real/new.lkr", false, kNewProjectFileMode},
  };
  fs::create_symlink("site.lkr", real / "hop.lkr");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(real / "site.lkr");
    fs::remove(real / "new.lkr");
    if (c.targetExists) {
      writeFile(real / "site.lkr", "old");
      ASSERT_EQ(::chmod((real / "site.lkr").c_str(), 0640), 0);
    }
    const fs::path link = dir.file("link.lkr");
    fs::remove(link);
    fs::create_symlink(c.linkText, link);

    Status s = save(link);
    ASSERT_TRUE(s.ok()) << s.message;
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).string(), c.linkText);
    const fs::path target = real / (c.targetExists ? "site.lkr" : "new.lkr");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(savedUrl(target), "http://new.example/");
    EXPECT_EQ(modeOf(target), c.after);
    EXPECT_EQ(project.path(), link);
    std::set<std::string> expected = {"site.lkr", "hop.lkr"};
    if (!c.targetExists) expected = {"new.lkr", "hop.lkr"};
    EXPECT_EQ(namesIn(real), expected);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"link.lkr", "real"}));
  }
}

TEST_F(ProjectSaveTest, AFailedSaveGivesTheSystemsReasonAndKeepsTheOldFile) {
  // The child that saves may drop to another user, who must reach the folder.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const fs::path locked = dir.file("locked");
  fs::create_directory(locked);
  writeFile(locked / "site.lkr", "old");
  ASSERT_EQ(::chmod((locked / "site.lkr").c_str(), 0644), 0);
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  fs::create_symlink(locked / "site.lkr", dir.file("link.lkr"));
  writeFile(dir.file("big.lkr"), "old");

  enum Limit { kUnprivileged, kFileSize, kNone };
  const struct {
    const char* what;
    fs::path path;
    Limit limit;
    int err;
    fs::path old;  // the file that must still hold "old"
  } cases[] = {
      {"unwritable folder", locked / "site.lkr", kUnprivileged, EACCES, locked / "site.lkr"},
      {"link into an unwritable folder", dir.file("link.lkr"), kUnprivileged, EACCES,
       locked / "site.lkr"},
      {"file size limit", dir.file("big.lkr"), kFileSize, EFBIG, dir.file("big.lkr")},
      {"missing folder", dir.file("no/such/site.lkr"), kNone, ENOENT, dir.file("big.lkr")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t child = ::fork();
    if (child == 0) {
      ::close(out[0]);
      bool limited = true;
      if (c.limit == kUnprivileged && ::geteuid() == 0) {
        limited = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
      } else if (c.limit == kFileSize) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit small{1000, 1000};
        limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
      }
      std::string message = limited ? save(c.path).message : "could not drop the rights";
      ssize_t written = ::write(out[1], message.data(), message.size());
      ::_exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    ::close(out[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_NE(message.find(c.path.string()), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(c.err)), std::string::npos) << message;
    EXPECT_EQ(readFile(c.old), "old");
    EXPECT_EQ(namesIn(locked), std::set<std::string>{"site.lkr"});
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"big.lkr", "link.lkr", "locked"}));
  }
  ::chmod(locked.c_str(), 0755);  // so the folder can be cleaned up
}

}  // namespace
}  // namespace larkspur::core
