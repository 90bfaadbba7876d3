#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace larkspur::core {

namespace {

std::string reason(int err) { return std::strerror(err); }

mode_t currentUmask() {
  mode_t old = ::umask(0);
  ::umask(old);
  return old;
}

}  // namespace

Status writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                           mode_t mode, bool exactMode) {
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  std::string tmpl = (dir / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) {
    return Status::failure("Unable to write to " + path.string() + ": " + reason(errno));
  }
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tmpl.c_str());
    return Status::failure("Unable to write to " + path.string() + ": " + reason(err));
  };
  mode_t wanted = exactMode ? mode : (mode & ~currentUmask());
  if (::fchmod(fd, wanted) != 0) return fail(errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmpl.c_str());
    return Status::failure("Unable to write to " + path.string() + ": " + reason(err));
  }
  if (::rename(tmpl.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmpl.c_str());
    return Status::failure("Unable to write to " + path.string() + ": " + reason(err));
  }
  // Make the rename itself durable.
  int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return Status::success();
}

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
    const char* what = S_ISDIR(st.st_mode)                              ? "it is a folder"
                       : S_ISFIFO(st.st_mode)                           ? "it is a pipe, not a file"
                       : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)     ? "it is a device, not a file"
                       : S_ISSOCK(st.st_mode)                           ? "it is a socket, not a file"
                                                                        : "it is not a regular file";
    return Status::failure("Unable to read from " + path.string() + ": " + what);
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return Status::failure("Unable to read from " + path.string() + ": the file is too large", -2);
  }
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
