#include "core/text_check.h"

#include <cstdio>

#include "core/utf8.h"

namespace larkspur::core {

std::optional<std::string> storedTextProblem(std::string_view text, TextLines lines) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t length = decodeUtf8At(text, i, cp);
    if (length == 0) return std::string("is not valid UTF-8");
    const bool lineBreakOrTab = cp == U'\t' || cp == U'\n' || cp == U'\r';
    const bool control = cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
    if (control && !(lineBreakOrTab && lines == TextLines::kMany)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
      return std::string("holds a control character (") + code + ")";
    }
    i += length;
  }
  return std::nullopt;
}

}  // namespace larkspur::core
