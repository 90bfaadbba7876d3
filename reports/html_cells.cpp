#include "reports/html_cells.h"

#include "reports/markup_escape.h"

namespace larkspur::reports {

void appendHtmlCell(std::string& out, std::string_view open, std::string_view html) {
  out += open;
  out += html;
  out += "</td>";
}

void appendTextCell(std::string& out, std::string_view open, std::string_view text, std::string_view ifEmpty) {
  appendHtmlCell(out, open, text.empty() ? std::string(ifEmpty) : escapeHtml(text));
}

}  // namespace larkspur::reports
