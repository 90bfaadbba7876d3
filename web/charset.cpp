#include "web/charset.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "core/ascii_text.h"
#include "core/utf8.h"

namespace larkspur::web {

namespace {

std::string_view trim(std::string_view text) { return core::asciiTrimmed(text, core::kHtmlBlanks); }

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

std::string charsetFromContentType(std::string_view content_type) {
  const std::string low = core::asciiLower(content_type);
  std::size_t pos = 0;
  while ((pos = low.find("charset", pos)) != std::string::npos) {
    std::size_t i = pos + 7;
    pos = i;
    while (i < low.size() && (low[i] == ' ' || low[i] == '\t')) ++i;
    if (i >= low.size() || low[i] != '=') continue;
    ++i;
    while (i < low.size() && (low[i] == ' ' || low[i] == '\t')) ++i;
    if (i < low.size() && (low[i] == '"' || low[i] == '\'')) {
      const char quote = low[i];
      const std::size_t end = low.find(quote, i + 1);
      if (end == std::string::npos) return {};
      return std::string(trim(content_type.substr(i + 1, end - i - 1)));
    }
    std::size_t end = i;
    while (end < low.size() && low[end] != ';' && low[end] != ' ' && low[end] != '\t' &&
           low[end] != ',')
      ++end;
    return std::string(content_type.substr(i, end - i));
  }
  return {};
}

std::string charsetFromBom(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return "UTF-8";
  if (bytes.substr(0, 2) == "\xFF\xFE") return "UTF-16LE";
  if (bytes.substr(0, 2) == "\xFE\xFF") return "UTF-16BE";
  return {};
}

std::string canonicalCharset(std::string_view label) {
  const std::string l = core::asciiLower(trim(label));
  if (l.empty()) return {};
  if (l == "utf-8" || l == "utf8" || l == "unicode-1-1-utf-8" || l == "x-unicode20utf8") {
    return "UTF-8";
  }
  if (l == "iso-8859-1" || l == "iso8859-1" || l == "iso_8859-1" || l == "latin1" ||
      l == "l1" || l == "ascii" || l == "us-ascii" || l == "cp1252" || l == "windows-1252" ||
      l == "x-cp1252" || l == "cp819" || l == "ibm819" || l == "iso-ir-100" ||
      l == "ansi_x3.4-1968") {
    return "WINDOWS-1252";
  }
  if (l == "iso-8859-9" || l == "latin5" || l == "windows-1254") return "WINDOWS-1254";
  if (l == "x-sjis" || l == "shift-jis" || l == "sjis" || l == "ms_kanji") return "SHIFT_JIS";
  if (l == "gb2312" || l == "gbk" || l == "x-gbk" || l == "chinese") return "GBK";
  if (l == "big5" || l == "big5-hkscs" || l == "x-x-big5") return "BIG5-HKSCS";
  if (l == "ks_c_5601-1987" || l == "euc-kr" || l == "korean") return "CP949";
  if (l == "tis-620" || l == "iso-8859-11" || l == "windows-874") return "WINDOWS-874";
  return core::asciiUpper(l);
}

bool isValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    const std::size_t len = core::decodeUtf8At(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

Utf8Conversion convertToUtf8(std::string_view bytes, std::string_view charset) {
  Utf8Conversion result;
  std::string name = canonicalCharset(charset);
  const std::string bom = charsetFromBom(bytes);
  if (!bom.empty()) {
    name = bom;
    bytes.remove_prefix(bom == "UTF-8" ? 3 : 2);
  }

  if (name == "UTF-8" || name.empty()) {
    if (name == "UTF-8" || isValidUtf8(bytes)) {
      // UTF-8 needs no conversion; the HTML parser replaces invalid bytes.
      result.text.assign(bytes);
      result.charset = "UTF-8";
      result.exact = isValidUtf8(bytes);
      return result;
    }
    name = "WINDOWS-1252";
  }

  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // A label iconv does not know: decode as a browser without it would.
    if (isValidUtf8(bytes)) {
      result.text.assign(bytes);
      result.charset = "UTF-8";
      return result;
    }
    name = "WINDOWS-1252";
    cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      result.text.assign(bytes);
      result.charset = "UTF-8";
      result.exact = false;
      return result;
    }
  }
  result.charset = name;

  std::vector<char> out(bytes.size() * 4 + 16);
  char* in_ptr = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (true) {
    char* out_ptr = out.data();
    std::size_t out_left = out.size();
    const std::size_t rc = iconv(cd, in_ptr ? &in_ptr : nullptr, &in_left, &out_ptr, &out_left);
    result.text.append(out.data(), out.size() - out_left);
    if (rc != static_cast<std::size_t>(-1)) {
      if (!in_ptr) break;
      // All input taken; flush any shift state.
      in_ptr = nullptr;
      continue;
    }
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: an undecodable or truncated sequence. Replace one byte
    // and go on, as a browser shows U+FFFD for it.
    result.text.append(kReplacement);
    result.exact = false;
    ++in_ptr;
    --in_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (in_left == 0) break;
  }
  iconv_close(cd);
  return result;
}

}  // namespace larkspur::web
