#pragma once
// Upper-casing of UTF-8 texts the way the submission rules compare words:
// every character that has a capital form gets it (a, é, я, ...), not just
// ASCII. Bytes that are not valid UTF-8 are kept as they are.

#include <string>
#include <string_view>

namespace larkspur::core {

std::string toUpper(std::string_view text);

// Equality without regard to case, by the same mapping.
bool equalsNoCase(std::string_view a, std::string_view b);

// Number of characters (UTF-8 code points; a stray byte counts as one).
std::size_t characterCount(std::string_view text);

}  // namespace larkspur::core
