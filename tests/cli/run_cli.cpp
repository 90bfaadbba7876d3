#include "tests/cli/run_cli.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace larkspur::test {

namespace {

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// This process's environment without the variables named.
std::vector<std::string> environmentWithout(const std::vector<std::string>& unset) {
  std::vector<std::string> kept;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (std::find(unset.begin(), unset.end(), name) == unset.end()) kept.push_back(text);
  }
  return kept;
}

// Starts `program` with standard input from /dev/null and its output into
// the two files; returns the process id, or -1.
pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outPath,
                   const std::string& errPath, const std::vector<std::string>& unset) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  std::vector<std::string> environment = environmentWithout(unset);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  const bool spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return spawned ? pid : -1;
}

}  // namespace

CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& unset) {
  return runProgram(LARKSPUR_CLI_PATH, args, unset);
}

CliResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& unset) {
  TempDir capture;
  const std::string outPath = capture.file("out").string();
  const std::string errPath = capture.file("err").string();
  CliResult result;
  const pid_t pid = spawnProgram(program, args, outPath, errPath, unset);
  if (pid > 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = exitCodeOf(status);
  }
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

RunningCli::RunningCli(const std::vector<std::string>& args, const std::vector<std::string>& unset) {
  char pattern[] = "/tmp/larkspur-cli-run-XXXXXX";
  if (const char* made = mkdtemp(pattern)) dir_ = made;
  if (!dir_.empty()) pid_ = spawnProgram(LARKSPUR_CLI_PATH, args, dir_ + "/out", dir_ + "/err", unset);
}

RunningCli::~RunningCli() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

void RunningCli::interrupt() { signal(SIGINT); }

void RunningCli::signal(int number) {
  if (pid_ > 0) kill(pid_, number);
}

int RunningCli::waitExit(int timeoutMs) {
  if (pid_ <= 0) return -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return exitCodeOf(status);
    }
    if (std::chrono::steady_clock::now() >= until) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string RunningCli::out() const { return readFile(dir_ + "/out"); }
std::string RunningCli::err() const { return readFile(dir_ + "/err"); }

}  // namespace larkspur::test
