#pragma once
// The cells of the HTML tables that reports and exports write.

#include <string>
#include <string_view>

namespace larkspur::reports {

// `open` (the <td> tag and whatever opens the cell's content), `html` as it
// is, then "</td>".
void appendHtmlCell(std::string& out, std::string_view open, std::string_view html);

// A cell that shows `text` escaped (escapeHtml), or `ifEmpty` as it is when
// there is no text.
void appendTextCell(std::string& out, std::string_view open, std::string_view text, std::string_view ifEmpty);

}  // namespace larkspur::reports
