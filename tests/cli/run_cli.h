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

CliResult runCli(const std::vector<std::string>& args);

}  // namespace larkspur::test
