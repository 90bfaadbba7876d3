#include "core/fixed_text.h"

#include <cstring>

namespace larkspur::core {

std::size_t fittingLength(std::string_view text, std::size_t capacity) {
  if (capacity == 0) return 0;
  if (text.size() < capacity) return text.size();
  std::size_t len = capacity - 1;
  // When the first byte left out continues a UTF-8 sequence, the sequence
  // straddles the cut: cut before its lead byte. A sequence has at most three
  // continuation bytes, so texts that are not UTF-8 lose at most three bytes.
  std::size_t cut = len;
  for (int back = 0; back < 3 && cut > 0 &&
                     (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80;
       ++back) {
    --cut;
  }
  if (cut != len && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0xC0) return cut;
  return len;
}

bool copyText(char* dst, std::size_t capacity, std::string_view text) {
  if (capacity == 0) return text.empty();
  // A text may carry an embedded NUL; the field ends there either way.
  const std::size_t wholeSize = text.size();
  std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  std::size_t len = fittingLength(text, capacity);
  if (len > 0) std::memcpy(dst, text.data(), len);
  std::memset(dst + len, 0, capacity - len);
  return len == wholeSize;
}

std::string_view fieldView(const char* field, std::size_t capacity) {
  const void* end = std::memchr(field, 0, capacity);
  std::size_t len = end ? static_cast<const char*>(end) - field : capacity;
  return std::string_view(field, len);
}

}  // namespace larkspur::core
