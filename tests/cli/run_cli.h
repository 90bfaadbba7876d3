#pragma once
// Runs the larkspur-cli program as a user would and captures what it prints.

#include <string>
#include <vector>

namespace larkspur::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// `unset` names environment variables the program is started without.
CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& unset = {});
// The same for another program (a path).
CliResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& unset = {});

// A larkspur-cli started in the background, its output going to files, for
// tests that interrupt it. Killed and reaped if still running at the end.
class RunningCli {
 public:
  explicit RunningCli(const std::vector<std::string>& args, const std::vector<std::string>& unset = {});
  ~RunningCli();
  RunningCli(const RunningCli&) = delete;
  RunningCli& operator=(const RunningCli&) = delete;

  bool started() const { return pid_ > 0; }
  void interrupt();  // Ctrl-C
  void signal(int number);
  // Waits up to `timeoutMs` for the program to end; the exit code (128 +
  // signal when a signal ended it), or -1 when it still runs.
  int waitExit(int timeoutMs);
  std::string out() const;
  std::string err() const;

 private:
  std::string dir_;
  int pid_ = -1;
};

}  // namespace larkspur::test
