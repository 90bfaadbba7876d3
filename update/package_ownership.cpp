#include "update/package_ownership.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>

extern char** environ;

namespace larkspur::update {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds kPollInterval{10};

// Waits for `pid` without bound; its status, or -1 when it cannot be had.
int reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace

bool ownedByDebianPackage(const fs::path& file, std::chrono::milliseconds timeout, const core::Event* cancel) {
  std::error_code error;
  std::string path = fs::absolute(file, error).string();
  if (error || path.empty()) return false;

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  bool prepared = true;
  for (int fd = 0; fd <= 2; ++fd) {
    prepared = prepared &&
               posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0) == 0;
  }
  char program[] = "dpkg";
  char option[] = "-S";
  char* arguments[] = {program, option, path.data(), nullptr};
  pid_t pid = -1;
  const bool started = prepared && posix_spawnp(&pid, program, &actions, nullptr, arguments, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!started) return false;

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ended < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline || (cancel != nullptr && cancel->isSet())) {
      ::kill(pid, SIGKILL);
      reap(pid);
      return false;
    }
    if (cancel != nullptr) {
      cancel->waitFor(kPollInterval);
    } else {
      std::this_thread::sleep_for(kPollInterval);
    }
  }
}

}  // namespace larkspur::update
