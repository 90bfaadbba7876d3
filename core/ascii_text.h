#pragma once
// Case and blanks of protocol texts (header and attribute names, schemes,
// host names, charset labels): ASCII only and independent of the process
// locale, so that a byte outside A to Z and a to z never changes. The
// submission rules' words, which fold every letter, use core/upper_case
// instead.

#include <string>
#include <string_view>

namespace larkspur::core {

// What std::isspace takes for a blank in the C locale.
inline constexpr std::string_view kAsciiBlanks = " \t\n\v\f\r";
// HTML's blanks: the same without the vertical tab.
inline constexpr std::string_view kHtmlBlanks = " \t\n\f\r";

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// The text without the leading and trailing bytes found in `blanks`.
std::string_view asciiTrimmed(std::string_view text, std::string_view blanks = kAsciiBlanks);

// Comparisons with A to Z and a to z taken as the same and every other byte
// compared exactly. An empty `part` or `prefix` is always found.
bool asciiEqualsNoCase(std::string_view a, std::string_view b);
bool asciiStartsWithNoCase(std::string_view text, std::string_view prefix);
bool asciiContainsNoCase(std::string_view text, std::string_view part);

}  // namespace larkspur::core
