#include "core/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "core/utc_time.h"

namespace larkspur::core {

namespace {

// What the lock file says of its holder, on one line.
std::string holderText(int fd) {
  char text[256];
  const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
  std::string line(text, got > 0 ? static_cast<std::size_t>(got) : 0);
  line = line.substr(0, line.find('\n'));
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return line;
}

}  // namespace

ProjectLock::~ProjectLock() {
  if (fd_ >= 0) ::close(fd_);
}

ProjectLock::ProjectLock(ProjectLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), busy_(other.busy_), error_(std::move(other.error_)) {}

ProjectLock& ProjectLock::operator=(ProjectLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    busy_ = other.busy_;
    error_ = std::move(other.error_);
  }
  return *this;
}

std::filesystem::path ProjectLock::lockPathOf(const std::filesystem::path& project) {
  std::filesystem::path lock = project;
  lock += ".lock";
  return lock;
}

ProjectLock ProjectLock::acquire(const std::filesystem::path& project, const std::string& holder, bool wait,
                                 const std::atomic<bool>* interrupted) {
  ProjectLock lock;
  const std::filesystem::path path = lockPathOf(project);
  // No O_CLOEXEC: a program this process becomes (exec) keeps the lock.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0644);  // NOLINT(android-cloexec-open)
  if (fd < 0) {
    lock.error_ = "Unable to lock " + project.string() + ": " + path.string() + ": " + std::strerror(errno);
    return lock;
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      lock.error_ = "Unable to lock " + project.string() + ": " + std::strerror(errno);
      ::close(fd);
      return lock;
    }
    if (!wait || (interrupted && interrupted->load())) {
      const std::string who = holderText(fd);
      lock.busy_ = true;
      lock.error_ = project.string() + " is in use by " + (who.empty() ? std::string("another process") : who) +
                    (wait ? "" : "; run again with --wait to wait for it");
      ::close(fd);
      return lock;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string line = holder + " (process " + std::to_string(::getpid()) + ", since " +
                           utcText(std::chrono::system_clock::now()) + ")\n";
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, line.data(), line.size(), 0);
  }
  lock.fd_ = fd;
  return lock;
}

}  // namespace larkspur::core
