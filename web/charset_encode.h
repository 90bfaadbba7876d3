#pragma once
// Encoding text for a form submission: from UTF-8 into the charset the form
// is sent in, as browsers do it.

#include <string>
#include <string_view>

namespace larkspur::web {

// The charset a form is sent in: the first label of its accept-charset
// attribute (labels separated by blanks or commas) that can be encoded to,
// else the page's charset. UTF-16 labels give UTF-8, as in browsers.
std::string formCharset(std::string_view acceptCharset, std::string_view documentCharset);

// Converts UTF-8 text to `charset`. A character the charset cannot hold is
// written as a decimal character reference ("&#8364;"), as browsers send it;
// an invalid UTF-8 byte becomes "?". UTF-8 and an unknown charset leave the
// text as it is.
std::string convertFromUtf8(std::string_view utf8, std::string_view charset);

}  // namespace larkspur::web
