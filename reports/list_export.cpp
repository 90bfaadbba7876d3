#include "reports/list_export.h"

#include "core/ascii_text.h"
#include "core/visible_text.h"
#include "reports/html_cells.h"
#include "reports/markup_escape.h"
#include "reports/report_file.h"
#include "reports/workbook_export.h"

namespace larkspur::reports {

namespace {

std::string upperExtension(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  return core::asciiUpper(ext);
}

// Control characters other than TAB, CR and LF are written as visible
// symbols, never raw.
std::string csvField(const std::string& raw) {
  const std::string text = core::visibleControls(raw);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

ExportFormat exportFormatFor(const std::filesystem::path& path) {
  const std::string ext = upperExtension(path);
  if (ext == "XLS" || ext == "XLSX") return ExportFormat::kExcel;
  if (ext == "HTM" || ext == "HTML") return ExportFormat::kHtml;
  if (ext == "XML") return ExportFormat::kXml;
  return ExportFormat::kText;
}

std::string exportAsText(const ListView& view) {
  const std::vector<std::size_t> shown = view.visibleColumns();
  std::string out;
  auto line = [&](auto textOf) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      out += csvField(textOf(shown[i]));
      if (i + 1 < shown.size()) out += ',';
    }
    out += "\r\n";
  };
  line([&](std::size_t c) -> const std::string& { return view.columns[c].title; });
  for (std::size_t r = 0; r < view.rows.size(); ++r) {
    line([&](std::size_t c) -> const std::string& { return view.cell(r, c); });
  }
  return out;
}

std::string exportAsHtml(const ListView& view) {
  const std::vector<std::size_t> shown = view.visibleColumns();
  std::string out = "<table border=\"1\"><tr>";
  for (std::size_t c : shown) appendTextCell(out, "<td>", view.columns[c].title, "&nbsp;");
  out += "</tr>";
  for (std::size_t r = 0; r < view.rows.size(); ++r) {
    out += "<tr>";
    for (std::size_t c : shown) appendTextCell(out, "<td>", view.cell(r, c), "&nbsp;");
    out += "</tr>";
  }
  out += "</table>";
  return out;
}

std::string exportAsXml(const ListView& view) {
  const std::vector<std::size_t> shown = view.visibleColumns();
  std::vector<std::string> tags;
  for (const ViewColumn& column : view.columns) tags.push_back(xmlTagName(column.title));
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<REPORT>\n";
  for (std::size_t r = 0; r < view.rows.size(); ++r) {
    out += "<LINK>\r\n";
    for (std::size_t c : shown) {
      out += '<' + tags[c] + '>';
      out += escapeXmlText(view.cell(r, c));
      out += "</" + tags[c] + ">\r\n";
    }
    out += "</LINK>";
  }
  out += "</REPORT>";
  return out;
}

core::Status exportListView(const ListView& view, const std::filesystem::path& path) {
  switch (exportFormatFor(path)) {
    case ExportFormat::kExcel:
      return writeWorkbook(view, path);
    case ExportFormat::kHtml:
      return writeReportFile(path, exportAsHtml(view));
    case ExportFormat::kXml:
      return writeReportFile(path, exportAsXml(view));
    case ExportFormat::kText:
      break;
  }
  return writeReportFile(path, exportAsText(view));
}

}  // namespace larkspur::reports
