#pragma once
// Texts from other people's pages written into HTML and XML files: escaped so
// that they stay text and cannot open elements or scripts of their own.

#include <string>
#include <string_view>

namespace larkspur::reports {

// &, <, > and " as entities; every other byte as it is.
std::string escapeHtml(std::string_view text);

// Character data for an XML 1.0 document in UTF-8: &, < and > as entities,
// characters XML 1.0 forbids (controls other than TAB, LF and CR, surrogates,
// U+FFFE and U+FFFF) left out, and bytes that are not UTF-8 replaced by
// U+FFFD.
std::string escapeXmlText(std::string_view text);

// A usable XML element name from a column title: blanks removed, then any
// byte that cannot stand in a name replaced by '_', and '_' put in front when
// the name would start with something other than a letter or '_'.
std::string xmlTagName(std::string_view title);

// The text with bytes that are not UTF-8 replaced by U+FFFD and the same
// forbidden characters as escapeXmlText left out (what spreadsheet cells,
// which are XML inside, can hold).
std::string xmlSafeText(std::string_view text);

}  // namespace larkspur::reports
