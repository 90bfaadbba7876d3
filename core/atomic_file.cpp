#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

namespace larkspur::core {

namespace {

constexpr std::size_t kSuffixLength = 6;
// Links followed before a save gives up, as the system does for a path.
constexpr int kMaxLinkHops = 40;

std::string reason(int err) { return std::strerror(err); }

mode_t currentUmask() {
  mode_t old = ::umask(0);
  ::umask(old);
  return old;
}

bool isSuffixChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string randomSuffix() {
  static constexpr char kChars[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char random[kSuffixLength] = {};
  std::size_t got = 0;
  while (got < sizeof random) {
    ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      // No random source: the clock and process id still make clashes rare,
      // and O_EXCL turns a clash into another try.
      auto seed = static_cast<unsigned long>(::getpid()) ^ static_cast<unsigned long>(::time(nullptr));
      for (unsigned char& r : random) r = static_cast<unsigned char>(seed = seed * 1103515245 + 12345);
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  std::string suffix;
  for (unsigned char r : random) suffix += kChars[r % (sizeof kChars - 1)];
  return suffix;
}

// Why a node that is not a regular file cannot be read or replaced.
const char* notAFile(mode_t mode) {
  return S_ISDIR(mode)                        ? "it is a folder"
         : S_ISFIFO(mode)                     ? "it is a pipe, not a file"
         : S_ISCHR(mode) || S_ISBLK(mode)     ? "it is a device, not a file"
         : S_ISSOCK(mode)                     ? "it is a socket, not a file"
                                              : "it is not a regular file";
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  return dir.empty() ? std::filesystem::path(".") : dir;
}

// The file a save to `path` replaces: `path` itself, or the file its chain of
// symbolic links ends at. Returns 0 or the system's error.
int followLinks(std::filesystem::path& path) {
  for (int hops = 0; hops < kMaxLinkHops; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;  // created anew
    if (!S_ISLNK(st.st_mode)) return 0;
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) == sizeof buffer) return ENAMETOOLONG;
    std::filesystem::path target(std::string(buffer, static_cast<std::size_t>(n)));
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return ELOOP;
}

// Creates the temporary file beside `target`, mode 0600, never through a link,
// and locks it so that no other save takes it for a stale one.
int createTemporary(const std::filesystem::path& target, std::string& name) {
  const std::string prefix = (folderOf(target) / temporaryFilePrefix(target)).string();
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix + randomSuffix();
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX | LOCK_NB);  // fresh file: nobody else can hold it
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool isStaleName(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + kSuffixLength || !name.starts_with(prefix)) return false;
  for (char c : name.substr(prefix.size())) {
    if (!isSuffixChar(c)) return false;
  }
  return true;
}

// Removes one candidate when it is a regular file of this user that no save
// holds. The file is opened (never through a link) and checked through the
// descriptor, so what is checked is what is locked.
bool removeIfStale(int dirFd, const char* name) {
  int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
               ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  struct stat now {};
  // The name must still be that file when it is removed.
  stale = stale && ::fstatat(dirFd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
          now.st_dev == st.st_dev && now.st_ino == st.st_ino;
  bool removed = stale && ::unlinkat(dirFd, name, 0) == 0;
  ::close(fd);
  return removed;
}

}  // namespace

std::string temporaryFilePrefix(const std::filesystem::path& target) {
  return "." + target.filename().string() + ".larkspur-";
}

int removeStaleTemporaryFiles(const std::filesystem::path& target) {
  const std::string prefix = temporaryFilePrefix(target);
  DIR* dir = ::opendir(folderOf(target).c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (isStaleName(entry->d_name, prefix) && removeIfStale(::dirfd(dir), entry->d_name)) ++removed;
  }
  ::closedir(dir);
  return removed;
}

Status checkReplaceable(const std::filesystem::path& path) {
  std::filesystem::path target = path;
  if (followLinks(target) != 0) return Status::success();  // the save says why
  // Only a file is replaced: renaming over a device, a pipe or a socket would
  // destroy it (as root, /dev/null itself).
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    return Status::failure("Unable to write to " + path.string() + ": " + notAFile(existing.st_mode));
  }
  return Status::success();
}

namespace {

Status unableToWrite(const std::filesystem::path& path, int err) {
  return Status::failure("Unable to write to " + path.string() + ": " + reason(err));
}

// The steps of every save around its content: `fill` writes the content into
// the temporary file, open as `fd` and named `temporary`.
Status replaceFile(const std::filesystem::path& path, mode_t mode, bool exactMode,
                   const BeforeRename& beforeRename,
                   const std::function<Status(int fd, const std::string& temporary)>& fill) {
  std::filesystem::path target = path;
  if (int err = followLinks(target)) return unableToWrite(path, err);
  if (Status replaceable = checkReplaceable(path); !replaceable.ok()) return replaceable;
  removeStaleTemporaryFiles(target);

  std::string tmp;
  int fd = createTemporary(target, tmp);
  if (fd < 0) return unableToWrite(path, errno);
  auto fail = [&](Status failure) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return failure;
  };
  if (Status filled = fill(fd, tmp); !filled.ok()) return fail(std::move(filled));
  if (::fsync(fd) != 0) return fail(unableToWrite(path, errno));
  if (beforeRename) beforeRename(tmp);
  if (::rename(tmp.c_str(), target.c_str()) != 0) return fail(unableToWrite(path, errno));
  // Only now, as the target, does the file get its bits: a temporary file
  // left by an interrupted save stays the user's alone.
  mode_t wanted = exactMode ? mode : (mode & ~currentUmask());
  int chmodError = ::fchmod(fd, wanted) == 0 ? 0 : errno;
  int closeError = ::close(fd) == 0 ? 0 : errno;
  // Make the rename itself durable.
  int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  if (chmodError != 0) return unableToWrite(path, chmodError);
  if (closeError != 0) return unableToWrite(path, closeError);
  return Status::success();
}

}  // namespace

Status writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                           mode_t mode, bool exactMode, const BeforeRename& beforeRename) {
  return replaceFile(path, mode, exactMode, beforeRename, [&](int fd, const std::string&) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return unableToWrite(path, errno);
      }
      done += static_cast<std::size_t>(n);
    }
    return Status::success();
  });
}

Status writeFileAtomically(const std::filesystem::path& path, const WriteByPath& write, mode_t mode,
                           bool exactMode, const BeforeRename& beforeRename) {
  return replaceFile(path, mode, exactMode, beforeRename,
                     [&](int, const std::string& temporary) { return write(temporary); });
}

namespace {

// Maps the pages of a large new buffer in one call rather than one fault a
// page as they are first written; where the kernel cannot, they fault as usual.
void prefault(void* start, std::size_t length) {
#ifdef MADV_POPULATE_WRITE
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<uintptr_t>(start) + page - 1) / page * page;
  const auto end = (reinterpret_cast<uintptr_t>(start) + length) / page * page;
  if (end > begin + (uintptr_t{1} << 20)) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
  (void)start;
  (void)length;
#endif
}

}  // namespace

Status readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                     std::size_t maxBytes) {
  bytes.clear();
  // Without O_NONBLOCK, opening a FIFO would wait for a writer for ever.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Status::failure("Unable to read from " + path.string() + ": " + reason(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return Status::failure("Unable to read from " + path.string() + ": " + reason(err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return Status::failure("Unable to read from " + path.string() + ": " + notAFile(st.st_mode));
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return Status::failure("Unable to read from " + path.string() + ": the file is too large", -2);
  }
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  prefault(bytes.data(), bytes.capacity());
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      bytes.clear();
      return Status::failure("Unable to read from " + path.string() + ": " + reason(err));
    }
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  ::close(fd);
  return Status::success();
}

}  // namespace larkspur::core
