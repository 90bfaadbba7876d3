#pragma once
// One-line messages on stderr, the way every command reports.

#include <string>

namespace larkspur::cli {

// Prints "larkspur-cli: TEXT" on stderr and returns `code`.
int fail(const std::string& text, int code = 1);
// Prints "larkspur-cli: warning: TEXT" on stderr.
void warn(const std::string& text);

}  // namespace larkspur::cli
