#pragma once
// Reading and writing UTF-8 one character at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspur::core {

// Decodes the UTF-8 sequence at text[i] into `cp`; returns its length, 0 when
// the bytes there are not valid UTF-8 (overlong forms, surrogates and values
// past U+10FFFF included).
std::size_t decodeUtf8At(std::string_view text, std::size_t i, char32_t& cp);

// Appends the UTF-8 form of `cp`.
void appendUtf8(char32_t cp, std::string& out);

}  // namespace larkspur::core
