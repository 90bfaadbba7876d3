#pragma once
// Texts from other people's pages written into HTML and XML files: escaped so
// that they stay text and cannot open elements or scripts of their own.

#include <string>
#include <string_view>

namespace larkspur::reports {

// &, <, > and " as entities; control characters other than TAB, LF and CR
// as visible symbols and bytes that are not UTF-8 as U+FFFD (see
// core::visibleControls), so that nothing reaches the file raw.
std::string escapeHtml(std::string_view text);

// Character data for an XML 1.0 document in UTF-8: &, < and > as entities,
// control characters other than TAB, LF and CR as visible symbols, bytes
// that are not UTF-8 as U+FFFD, and U+FFFE and U+FFFF left out.
std::string escapeXmlText(std::string_view text);

// A usable XML element name from a column title: blanks removed, then any
// byte that cannot stand in a name replaced by '_', and '_' put in front when
// the name would start with something other than a letter or '_'.
std::string xmlTagName(std::string_view title);

// The text as escapeXmlText gives it, without the entities (what
// spreadsheet cells, which are XML inside, can hold).
std::string xmlSafeText(std::string_view text);

}  // namespace larkspur::reports
