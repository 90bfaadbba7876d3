#pragma once
// Export of what a list view shows (visible columns, rows in display order)
// as comma-separated text, an HTML table, an XML document or an Excel
// workbook. The format follows the file name's extension, whatever its case:
// "xlsx" or "xls" the workbook (always an xlsx workbook), "htm" or "html" the
// HTML table, "xml" the XML document, anything else comma-separated text.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/status.h"
#include "reports/list_view.h"

namespace larkspur::reports {

enum class ExportFormat { kText, kHtml, kXml, kExcel };

ExportFormat exportFormatFor(const std::filesystem::path& path);

// Comma-separated text, lines ending in CR LF. A field holding a comma, a
// double quote, a CR or a LF is enclosed in double quotes with its quotes
// doubled; other fields are written as they are.
std::string exportAsText(const ListView& view);
// One-line HTML table, texts escaped, empty cells as "&nbsp;".
std::string exportAsHtml(const ListView& view);
// <REPORT> with one <LINK> per row and one element per visible column, named
// by the column title without blanks; texts escaped for XML.
std::string exportAsXml(const ListView& view);

// Writes the file in the format its extension chooses. Text, HTML and XML
// files that cannot be written, and workbooks that cannot be created, fail
// with "Create file error!".
core::Status exportListView(const ListView& view, const std::filesystem::path& path);

}  // namespace larkspur::reports
