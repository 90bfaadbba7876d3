#pragma once
// larkspur-cli links SUBCOMMAND PROJECT ...: the Link list of a project and
// the link-popularity jobs (search, info update, links report) without a
// window, plus import and export.

#include <string>
#include <vector>

namespace larkspur::cli {

// The usage lines of the links command.
extern const char kLinksUsage[];

// `args` are the words after "links". Returns 0 on success, 1 when the job
// failed or was stopped with Ctrl-C, 2 on a usage error.
int runLinksCommand(const std::vector<std::string>& args);

}  // namespace larkspur::cli
