#pragma once
// One-line messages on stderr, the way every command reports.

#include <string>

namespace larkspur::cli {

// The exit code of a command that Ctrl-C ended (what the shell reports for a
// program ended by SIGINT), whatever the command.
inline constexpr int kInterruptedExit = 130;

// Prints "larkspur-cli: TEXT" on stderr and returns `code`.
int fail(const std::string& text, int code = 1);
// Prints "larkspur-cli: warning: TEXT" on stderr.
void warn(const std::string& text);

}  // namespace larkspur::cli
