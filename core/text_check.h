#pragma once
// What a text the user gives the program (command-line values, dialog
// fields, lines of imported files) must be before it is stored: valid UTF-8
// without control characters, tabs and line breaks allowed only in the
// fields that hold several lines. Anything else would go into the project
// as it came and, from there, into terminals, reports and other programs.

#include <optional>
#include <string>
#include <string_view>

namespace larkspur::core {

enum class TextLines { kOne, kMany };

// Nothing when the text may be stored; else what is wrong, in a few words:
// "is not valid UTF-8", "holds a control character (U+001B)".
std::optional<std::string> storedTextProblem(std::string_view text, TextLines lines = TextLines::kOne);

}  // namespace larkspur::core
