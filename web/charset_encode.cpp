#include "web/charset_encode.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "web/charset.h"

namespace larkspur::web {

namespace {

bool isUtf8Name(const std::string& name) {
  return name.empty() || name == "UTF-8" || name.rfind("UTF-16", 0) == 0;
}

bool canEncodeTo(const std::string& name) {
  if (isUtf8Name(name)) return true;
  iconv_t cd = iconv_open(name.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

// Length of the UTF-8 sequence at `text` and its code point; 0 when the
// bytes there are not a valid sequence.
std::size_t decodeOne(std::string_view text, unsigned& cp) {
  const auto b0 = static_cast<unsigned char>(text[0]);
  std::size_t len = b0 < 0x80 ? 1 : (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : (b0 & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || len > text.size()) return 0;
  if (!isValidUtf8(text.substr(0, len))) return 0;
  cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1Fu) : len == 3 ? (b0 & 0x0Fu) : (b0 & 0x07u);
  for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[k]) & 0x3Fu);
  return len;
}

}  // namespace

std::string formCharset(std::string_view acceptCharset, std::string_view documentCharset) {
  std::size_t pos = 0;
  while (pos < acceptCharset.size()) {
    const std::size_t end = acceptCharset.find_first_of(" \t\r\n\f,", pos);
    const std::string_view label = acceptCharset.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? acceptCharset.size() : end + 1;
    if (label.empty()) continue;
    std::string name = canonicalCharset(label);
    if (!canEncodeTo(name)) continue;
    return isUtf8Name(name) ? "UTF-8" : name;
  }
  std::string name = canonicalCharset(documentCharset);
  if (isUtf8Name(name) || !canEncodeTo(name)) return "UTF-8";
  return name;
}

std::string convertFromUtf8(std::string_view utf8, std::string_view charset) {
  const std::string name = canonicalCharset(charset);
  if (isUtf8Name(name)) return std::string(utf8);
  iconv_t cd = iconv_open(name.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);

  std::string out;
  std::vector<char> chunk(utf8.size() * 4 + 16);
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  while (inLeft > 0) {
    char* outPtr = chunk.data();
    std::size_t outLeft = chunk.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(chunk.data(), chunk.size() - outLeft);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // A character the charset lacks, or a broken sequence.
    unsigned cp = 0;
    const std::size_t len = decodeOne(std::string_view(in, inLeft), cp);
    if (len == 0) {
      out += '?';
      ++in;
      --inLeft;
    } else {
      out += "&#" + std::to_string(cp) + ";";
      in += len;
      inLeft -= len;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  // Flush any shift state.
  char* outPtr = chunk.data();
  std::size_t outLeft = chunk.size();
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(chunk.data(), chunk.size() - outLeft);
  iconv_close(cd);
  return out;
}

}  // namespace larkspur::web
