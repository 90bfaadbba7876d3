#pragma once
// Fixed-capacity, NUL-terminated texts as the records hold them.

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspur::core {

// Length of the longest prefix of `text` that fits in `capacity` bytes with its
// terminator and does not end inside a UTF-8 sequence.
std::size_t fittingLength(std::string_view text, std::size_t capacity);

// Copies `text` into `dst` (capacity bytes, terminator included), cut at the
// capacity without splitting a UTF-8 sequence; the rest of `dst` is zeroed so
// records keep their padding bytes clean. Returns false when the text was cut.
bool copyText(char* dst, std::size_t capacity, std::string_view text);

template <std::size_t N>
bool copyText(char (&dst)[N], std::string_view text) {
  return copyText(dst, N, text);
}

// The text held in a fixed field: up to the first NUL, never past the field.
std::string_view fieldView(const char* field, std::size_t capacity);

template <std::size_t N>
std::string_view fieldView(const char (&field)[N]) {
  return fieldView(field, N);
}

}  // namespace larkspur::core
