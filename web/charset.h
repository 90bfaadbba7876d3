#pragma once
// Character sets of fetched pages: finding the declared one and converting the
// page bytes to UTF-8, the text form every later step works on.

#include <string>
#include <string_view>

namespace larkspur::web {

// The charset parameter of an HTTP Content-Type value ("text/html;
// charset=ISO-8859-1" gives "ISO-8859-1"), without quotes; empty when absent.
std::string charsetFromContentType(std::string_view content_type);

// The encoding a page with the byte order mark at its start is in ("UTF-8",
// "UTF-16LE", "UTF-16BE"), or empty.
std::string charsetFromBom(std::string_view bytes);

// The name under which a declared charset label is decoded, as browsers treat
// labels: ISO-8859-1, Latin-1 and ASCII are read as windows-1252, "utf8" as
// UTF-8, ... Empty for an empty label.
std::string canonicalCharset(std::string_view label);

struct Utf8Conversion {
  std::string text;     // the page as UTF-8
  std::string charset;  // the charset actually used for decoding
  bool exact = true;    // false when undecodable bytes were replaced by U+FFFD
};

// Converts `bytes` from `charset` to UTF-8 with iconv. A leading byte order
// mark is dropped. An unknown charset decodes as UTF-8 when the bytes are
// valid UTF-8 and as windows-1252 otherwise; bytes that cannot be decoded
// become U+FFFD.
Utf8Conversion convertToUtf8(std::string_view bytes, std::string_view charset);

bool isValidUtf8(std::string_view bytes);

}  // namespace larkspur::web
