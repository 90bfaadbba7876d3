#include "core/visible_text.h"

#include "core/utf8.h"

namespace larkspur::core {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr char32_t kControlPictures = 0x2400;     // SYMBOL FOR NULL; + code for the rest of C0
constexpr char32_t kSymbolForDelete = 0x2421;

std::string shownText(std::string_view text, bool keepLines) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    // Printable ASCII, by far the most of any text, goes over as a run.
    std::size_t run = i;
    while (run < text.size() && text[run] >= 0x20 && text[run] < 0x7F) ++run;
    if (run > i) {
      out.append(text.substr(i, run - i));
      i = run;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = decodeUtf8At(text, i, cp);
    if (len == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    if (keepLines && (cp == U'\t' || cp == U'\n' || cp == U'\r')) {
      out += static_cast<char>(cp);
    } else if (cp < 0x20) {
      appendUtf8(kControlPictures + cp, out);
    } else if (cp == 0x7F) {
      appendUtf8(kSymbolForDelete, out);
    } else if (cp >= 0x80 && cp < 0xA0) {
      out += kReplacement;
    } else {
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

}  // namespace

std::string visibleText(std::string_view text) { return shownText(text, false); }

std::string visibleControls(std::string_view text) { return shownText(text, true); }

}  // namespace larkspur::core
