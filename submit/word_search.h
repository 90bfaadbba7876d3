#pragma once
// The substring tests the submission rules are written in: texts are in
// capitals before they are tested.

#include <initializer_list>
#include <span>
#include <string_view>

namespace larkspur::submit {

inline bool hasAny(std::string_view text, std::span<const std::string_view> words) {
  for (std::string_view w : words) {
    if (text.find(w) != std::string_view::npos) return true;
  }
  return false;
}

inline bool hasAny(std::string_view text, std::initializer_list<std::string_view> words) {
  return hasAny(text, std::span<const std::string_view>(words.begin(), words.size()));
}

}  // namespace larkspur::submit
