#pragma once
// larkspur-cli submit: the unattended batch from a terminal.

#include <string>
#include <vector>

namespace larkspur::cli {

// The usage lines of the submit command.
extern const char kSubmitUsage[];

// submit PROJECT.lkr [--all | --reset | --target NAME ...] [--targets-file FILE]
//        [--service-base URL] [--time-out SECONDS] [--engine http|browser]
// Runs on the HTTP engine, or hands the words to larkspur-browser-submit
// (see submit_run.h). Returns 0 when the batch finished, 1 on a file error,
// 2 on a usage error, 130 when it was interrupted (the states reached so far
// are saved).
int runSubmitCommand(const std::vector<std::string>& args);

}  // namespace larkspur::cli
