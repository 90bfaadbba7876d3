#pragma once
// Bytes written as hexadecimal digits.

#include <cstdint>
#include <span>
#include <string>

namespace larkspur::core {

// Two lower-case digits a byte, the high half first: {0x1f, 0xa0} gives
// "1fa0".
inline std::string lowerHex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * bytes.size());
  for (const uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

}  // namespace larkspur::core
