#include "reports/markup_escape.h"

#include <cstdint>
#include <string>

#include "core/utf8.h"
#include "core/visible_text.h"

namespace larkspur::reports {

namespace {

// Walks the text as UTF-8 with every control character other than TAB, LF
// and CR shown as a visible symbol and bytes that are not UTF-8 as U+FFFD,
// handing each character XML allows (its bytes) to `emit`.
template <typename Emit>
void walkXmlCharacters(std::string_view text, Emit emit) {
  const std::string shown = core::visibleControls(text);
  for (std::size_t i = 0; i < shown.size();) {
    char32_t cp = 0;
    const std::size_t len = core::decodeUtf8At(shown, i, cp);
    if (len == 0) {
      ++i;
      continue;
    }
    if (cp != 0xFFFE && cp != 0xFFFF) emit(std::string_view(shown).substr(i, len));
    i += len;
  }
}

bool isNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool isNameChar(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

}  // namespace

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : core::visibleControls(text)) {
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
