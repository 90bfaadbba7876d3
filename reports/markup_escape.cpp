#include "reports/markup_escape.h"

#include <cstdint>

namespace larkspur::reports {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// Length of the well-formed UTF-8 sequence at `i` and its code point, or 0
// when the bytes there are not one.
std::size_t utf8Sequence(std::string_view s, std::size_t i, uint32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len = 0;
  uint32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
    min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
    min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) return 0;  // overlong or beyond Unicode
  return len;
}

bool xmlAllows(uint32_t cp) {
  if (cp < 0x20) return cp == 0x9 || cp == 0xA || cp == 0xD;
  if (cp >= 0xD800 && cp <= 0xDFFF) return false;
  return cp != 0xFFFE && cp != 0xFFFF;
}

// Walks the text as UTF-8, handing each allowed character (its bytes) to
// `emit`, with U+FFFD for bytes that are not UTF-8.
template <typename Emit>
void walkXmlCharacters(std::string_view text, Emit emit) {
  std::size_t i = 0;
  while (i < text.size()) {
    uint32_t cp = 0;
    const std::size_t len = utf8Sequence(text, i, cp);
    if (len == 0) {
      emit(std::string_view(kReplacement));
      ++i;
      continue;
    }
    if (xmlAllows(cp)) emit(text.substr(i, len));
    i += len;
  }
}

bool isNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool isNameChar(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

}  // namespace

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string escapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  walkXmlCharacters(text, [&out](std::string_view ch) {
    if (ch == "&") out += "&amp;";
    else if (ch == "<") out += "&lt;";
    else if (ch == ">") out += "&gt;";
    else out += ch;
  });
  return out;
}

std::string xmlSafeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  walkXmlCharacters(text, [&out](std::string_view ch) { out += ch; });
  return out;
}

std::string xmlTagName(std::string_view title) {
  std::string name;
  for (char c : xmlSafeText(title)) {
    if (c == ' ') continue;
    name += isNameChar(static_cast<unsigned char>(c)) ? c : '_';
  }
  if (name.empty() || !isNameStart(static_cast<unsigned char>(name.front()))) name.insert(name.begin(), '_');
  return name;
}

}  // namespace larkspur::reports
