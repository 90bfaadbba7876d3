#pragma once
// Builds the document model of a page from its HTML with gumbo (HTML5
// parsing, so broken markup gives the elements a browser would build).

#include <string_view>

#include "web/document.h"

namespace larkspur::web {

// From the page bytes as fetched. The charset comes from the byte order mark,
// else the HTTP Content-Type value, else the page's META charset declaration,
// else UTF-8 when the bytes are valid UTF-8 and windows-1252 when not; the
// text is converted to UTF-8 before parsing. `url` is the page address that
// links and image sources are resolved against (with the page's BASE).
Document parseHtml(std::string_view bytes, std::string_view url,
                   std::string_view content_type = {});

// From text already in UTF-8.
Document parseHtmlUtf8(std::string_view html, std::string_view url);

}  // namespace larkspur::web
