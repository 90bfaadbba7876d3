#pragma once
// Absolute addresses of links and images, as a browser's href and src
// properties give them: a reference resolved against the page address (or the
// page's BASE address) with libcurl's URL API.

#include <string>
#include <string_view>

namespace larkspur::web {

// Resolves `reference` against the absolute address `base`. Surrounding
// blanks and control characters and embedded tabs and line breaks are
// dropped, spaces and non-ASCII bytes are percent-encoded, dot segments are
// removed and the host is put in lower case. References with a scheme other
// than http, https, ftp and file (javascript:, mailto:, ...) come back as
// written. When `base` is not an absolute address, an absolute http(s)
// reference is still canonicalised and any other reference comes back
// cleaned but unresolved.
std::string resolveUrl(std::string_view base, std::string_view reference);

}  // namespace larkspur::web
