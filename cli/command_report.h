#pragma once
// larkspur-cli report PROJECT [--output FILE.htm]: the submit report of a
// project, its targets as the engine list shows them by default.

#include <string>
#include <vector>

namespace larkspur::cli {

extern const char kReportUsage[];

// `args` are the words after "report". Returns 0 on success, 1 when the file
// could not be written, 2 on a usage error.
int runReportCommand(const std::vector<std::string>& args);

}  // namespace larkspur::cli
