#pragma once
// One-line messages on stderr, the way every command reports.

#include <string>
#include <string_view>

namespace larkspur::cli {

// The exit code of a command that Ctrl-C ended (what the shell reports for a
// program ended by SIGINT), whatever the command.
inline constexpr int kInterruptedExit = 130;

// A text from a page, a server or a file as it may be printed on a terminal:
// control characters as visible symbols (see core::visibleText).
std::string shown(std::string_view text);

// The output name that means standard output.
inline constexpr char kStandardOutput[] = "-";

// Writes `bytes` to standard output as they are; false (with a message on
// stderr) when they could not all be written.
bool writeStandardOutput(std::string_view bytes);

// Prints "larkspur-cli: TEXT" on stderr and returns `code`.
int fail(const std::string& text, int code = 1);
// Prints "larkspur-cli: warning: TEXT" on stderr.
void warn(const std::string& text);
// Prints "larkspur-cli: usage: larkspur-cli USAGE" on stderr and returns 2.
// The usage is the program's own text: its lines are printed as they are.
int usageError(std::string_view usage);

}  // namespace larkspur::cli
