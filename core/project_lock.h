#pragma once
// One job at a time on a project: a process that reads a project, works on it
// and saves it holds the project's lock for the whole run, so that a second
// job on the same project cannot save over the first one's work. The lock is
// an flock on "PROJECT.lock" beside the project (the project file itself is
// replaced on every save, so it cannot carry the lock); the file says who
// holds it. The system releases the lock when its holder ends, however it
// ends. The lock file stays behind; only the flock counts.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace larkspur::core {

class ProjectLock {
 public:
  ProjectLock() = default;
  ~ProjectLock();
  ProjectLock(ProjectLock&& other) noexcept;
  ProjectLock& operator=(ProjectLock&& other) noexcept;
  ProjectLock(const ProjectLock&) = delete;
  ProjectLock& operator=(const ProjectLock&) = delete;

  bool held() const { return fd_ >= 0; }
  // The sentence saying why the lock was not taken ("" when held).
  const std::string& error() const { return error_; }
  // Whether another process held it (error() names it).
  bool busy() const { return busy_; }

  // Takes the lock of `project`, writing `holder` (e.g. "larkspur-cli") and
  // this process's id into the lock file. When another process holds it:
  // with `wait`, waits until it is free or `interrupted` becomes true
  // (checked every 100 ms); without, returns at once, not held. The lock's
  // descriptor is kept across exec, so a program this one becomes keeps it.
  static ProjectLock acquire(const std::filesystem::path& project, const std::string& holder, bool wait,
                             const std::atomic<bool>* interrupted = nullptr);

  // "PROJECT.lock".
  static std::filesystem::path lockPathOf(const std::filesystem::path& project);

 private:
  int fd_ = -1;
  bool busy_ = false;
  std::string error_;
};

}  // namespace larkspur::core
