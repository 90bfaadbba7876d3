#include "reports/submit_report.h"

#include "core/fixed_text.h"
#include "reports/html_cells.h"
#include "reports/markup_escape.h"
#include "reports/report_file.h"
#include "reports/report_time.h"

namespace larkspur::reports {

namespace {

using core::fieldView;

constexpr char kStateError[] = "Submit-Error";
constexpr char kUnsubmitted[] = "Un-Submit";
constexpr char kCentredCell[] = "<td><p align=\"center\">";

void profileLine(std::string& out, const char* label, std::string_view value) {
  out += "<p><font face=\"Arial\" size=\"2\">";
  out += label;
  out += " : ";
  out += escapeHtml(value);
  out += "</font></p>\t\n";
}

}  // namespace

std::string proposedSubmitReportName(std::string_view websiteUrl) {
  const std::string host = core::hostOfUrl(websiteUrl);
  if (host.size() <= 1) return "*.HTM";
  const std::size_t first = host.find('.');
  const std::size_t second = first == std::string::npos ? std::string::npos : host.find('.', first + 1);
  if (second == std::string::npos) return ".HTM";
  return host.substr(first + 1, second - first - 1) + ".HTM";
}

std::string submitReportText(const core::WebsiteProfile& p, const ListView& view,
                             std::span<const core::EngineRecord* const> rowRecords, const std::tm& now) {
  std::string out;
  // Every text is escaped: the profile's texts are the user's, the messages
  // may come from other people's servers, and the report is opened in a
  // browser, where a "<script>" in a title would run.
  out += "<h2>Website : ";
  out += escapeHtml(fieldView(p.url));
  out += "</h2>\t\n\t\n";
  profileLine(out, "Title", fieldView(p.title));
  profileLine(out, "Contact Email", fieldView(p.email));
  profileLine(out, "First Name", fieldView(p.first_name));
  profileLine(out, "Last Name", fieldView(p.last_name));
  profileLine(out, "Country", fieldView(p.country));
  profileLine(out, "Category", fieldView(p.category));
  profileLine(out, "Telephone", fieldView(p.telephone));
  profileLine(out, "Keyword", fieldView(p.keyword));
  profileLine(out, "Descript (Short)", fieldView(p.short_description));
  profileLine(out, "Descript (Long)", fieldView(p.long_description));
  out += formatTime("<p><font face=\"Arial\" size=\"2\">Date :%B %d, %Y : %H:%M </font></p>\t\n\t\n", now);

  const std::vector<std::size_t> shown = view.visibleColumns();
  out += "<table border=\"1\" cellpadding=\"6\" cellspacing=\"1\"><tr>";
  for (std::size_t c : shown) appendTextCell(out, kCentredCell, view.columns[c].title, "  ");
  out += "<td>Submit Message</td></tr>";

  for (std::size_t r = 0; r < view.rows.size(); ++r) {
    out += "<tr>";
    for (std::size_t c : shown) {
      const std::string& text = view.cell(r, c);
      if (text.empty()) {
        appendHtmlCell(out, "<td>", kUnsubmitted);
      } else {
        appendHtmlCell(out, kCentredCell, escapeHtml(text));
      }
    }
    const core::EngineRecord* record = r < rowRecords.size() ? rowRecords[r] : nullptr;
    if (record && record->submit_state == kStateError) {
      appendHtmlCell(out, "<td>", escapeHtml(record->message.view()));
    } else {
      out += "<td>&nbsp;</td>";
    }
    out += "</tr>";
  }
  return out;
}

core::Status writeSubmitReport(const std::filesystem::path& path, const core::WebsiteProfile& profile,
                               const ListView& view, std::span<const core::EngineRecord* const> rowRecords,
                               const std::tm& now) {
  return writeReportFile(path, submitReportText(profile, view, rowRecords, now));
}

}  // namespace larkspur::reports
