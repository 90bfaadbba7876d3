#include "core/upper_case.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

#include "core/utf8.h"

namespace larkspur::core {

namespace {

// The case tables of the UTF-8 C locale, independent of the process locale;
// (locale_t)0 when the system lacks it, then only ASCII is mapped.
locale_t utf8Locale() {
  static const locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
    return l;
  }();
  return locale;
}

}  // namespace

std::string toUpper(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const locale_t locale = utf8Locale();
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8At(text, i, cp);
    if (len == 0) {
      out += text[i++];
      continue;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp >= 'a' && cp <= 'z' ? cp - 'a' + 'A' : cp);
    } else if (locale) {
      appendUtf8(static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), locale)), out);
    } else {
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return toUpper(a) == toUpper(b); }

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8At(text, i, cp);
    i += len == 0 ? 1 : len;
    ++count;
  }
  return count;
}

}  // namespace larkspur::core
