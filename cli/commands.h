#pragma once
// The commands of larkspur-cli. Each takes the words after the command name
// and returns the exit code: 0 success, 1 failure, 2 usage error.

#include <string>
#include <vector>

namespace larkspur::cli {

using Words = std::vector<std::string>;

// The usage lines of each command, as --help lists them.
extern const char kNewUsage[];
extern const char kSetUsage[];
extern const char kShowUsage[];
extern const char kTargetsUsage[];

int runNewCommand(const Words& args);
int runSetCommand(const Words& args);
int runShowCommand(const Words& args);
int runTargetsCommand(const Words& args);

}  // namespace larkspur::cli
