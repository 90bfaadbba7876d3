#include "reports/links_report.h"

#include <chrono>

#include "core/ascii_text.h"
#include "core/event.h"
#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "core/web_address.h"
#include "reports/html_cells.h"
#include "reports/markup_escape.h"
#include "reports/report_file.h"
#include "reports/report_time.h"

namespace larkspur::reports {

namespace {

void cell(std::string& out, const std::string& text) {
  appendHtmlCell(out, "<td >", text.empty() ? std::string_view("&nbsp;") : std::string_view(text));
}

void row(std::string& out, const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
  out += "<tr>";
  cell(out, a);
  cell(out, b);
  cell(out, c);
  cell(out, d);
  out += "</tr>\n";
}

// A link to a page, or its text when it is not a web address.
std::string pageCell(const std::string& url) {
  const std::string text = escapeHtml(url);
  return core::isWebAddress(url) ? "<a href=\"" + text + "\">" + text + "</a>" : text;
}

// A section after the report's table: its heading, then a table of two
// columns.
template <typename Entry, typename Second>
void section(std::string& out, const char* heading, const char* secondTitle, const std::vector<Entry>& entries,
             Second second) {
  if (entries.empty()) return;
  out += "<br><p><font face=\"Arial\" size=\"2\"><b>";
  out += heading;
  out += "</b></font></p>\n";
  out += "<TABLE WIDTH=\"85%\" BORDER=1 CELLSPACING=1 CELLPADDING=1>\n";
  out += "<tr>";
  cell(out, "Link URL");
  cell(out, secondTitle);
  out += "</tr>\n";
  for (const Entry& entry : entries) {
    out += "<tr>";
    cell(out, pageCell(entry.url));
    cell(out, escapeHtml(second(entry)));
    out += "</tr>\n";
  }
  out += "</TABLE>\n";
}

// A state from what the fetch gave and whether the page holds the website URL.
std::string stateOf(int32_t fetchResult, std::string_view errorText, bool linked) {
  if (fetchResult != web::kFetchComplete) {
    return errorText.empty() ? std::string(kLinkStateConnectError) : std::string(errorText);
  }
  return linked ? kLinkStateOk : kLinkStateRemoved;
}

// The file has always been written in text mode: every line feed, also one
// inside a text, is stored as CR LF.
std::string withCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::string proposedLinksReportName(std::string_view websiteUrl, const std::tm& today) {
  return core::hostOfUrl(websiteUrl) + "-" + formatTime("%Y-%m-%d", today) + ".html";
}

std::string linkState(int32_t fetchResult, std::string_view errorText, std::string_view page,
                      std::string_view websiteUrl) {
  // A profile without a URL cannot be linked to.
  return stateOf(fetchResult, errorText, !websiteUrl.empty() && core::asciiContainsNoCase(page, websiteUrl));
}

void addToSections(LinksReportSections& sections, const std::string& url, const core::LinkDetails& details) {
  if (!details.lostSince.empty()) sections.lost.push_back({url, details.lostSince});
  if (details.linkFound != core::Known::kYes) return;
  std::string why = details.rel;
  if (details.indexable == core::Known::kNo) {
    if (!why.empty()) why += ", ";
    why += "not indexable: " + details.notIndexableBy;
  }
  if (!why.empty()) sections.notCounting.push_back({url, why});
}

std::string linksReportText(std::string_view websiteUrl, std::span<const LinksReportRow> rows, const std::tm& now) {
  return linksReportText(websiteUrl, rows, LinksReportSections{}, now);
}

std::string linksReportText(std::string_view websiteUrl, std::span<const LinksReportRow> rows,
                            const LinksReportSections& sections, const std::tm& now) {
  std::string out;
  out += "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\n";
  out += "\n";
  out += "<html xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
         "\t\t\t   <head><title></title></head><body>\n";
  out += "\n";
  out += "<p align=\"center\" ><font face=\"Arial\" size=\"2\">";
  out += escapeHtml(websiteUrl);
  out += escapeHtml(formatTime("  %A, %B %d, %Y", now));
  out += "</font></p>";
  out += "<br><br>";
  out += "<TABLE id=srcTb WIDTH=\"85%\" BORDER=1 CELLSPACING=1 CELLPADDING=1>\n";
  row(out, "Link URL", "Link Title", "Page Rank", "State");
  for (const LinksReportRow& r : rows) {
    // Only a web address becomes a link; anything else stays text.
    row(out, pageCell(r.url), escapeHtml(r.title), escapeHtml(r.pageRank), escapeHtml(r.state));
  }
  if (!sections.lost.empty() || !sections.notCounting.empty()) {
    // Text after a table left open would be put before it.
    out += "</TABLE>\n";
    section(out, "Lost links", "Lost Since", sections.lost, [](const LostLink& l) { return l.lostSince; });
    section(out, "Links that do not count", "Why", sections.notCounting,
            [](const UncountedLink& l) { return l.why; });
  }
  out += "</body></html>";
  return withCrLf(out);
}

LinksReportResult runLinksReport(core::LinkList& links, const std::string& websiteUrl,
                                 const std::filesystem::path& path, core::Coordination& coordination,
                                 const LinksReportOptions& options) {
  LinksReportResult result;
  links::LinkCheckOptions check;
  check.fetch = options.fetch;
  check.pageCapacity = options.pageCapacity;
  check.jobs = options.jobs;
  if (options.clock) check.clock = [&options] { return std::chrono::system_clock::from_time_t(options.clock()); };

  const links::LinkCheckEnd end = links::checkLinkingPages(
      links, websiteUrl, coordination.stop, check, [&](const core::LinkList::Ptr& record, const links::PageCheck& page) {
        LinksReportRow r;
        r.url = page.url;
        r.state = stateOf(page.fetchResult, page.errorText, page.holdsSiteUrl);
        links.withLock([&] {
          r.title = record->link_text.view();
          r.pageRank = std::to_string(record->page_rank);
          addToSections(result.sections, page.url, record->details);
        });
        result.rows.push_back(std::move(r));
        if (options.onChecked) options.onChecked(result.rows.size());
        if (options.onRecorded) options.onRecorded(record.get());
      });
  result.stopped = end.stopped;

  const std::time_t now = options.clock ? options.clock() : std::time(nullptr);
  const core::Status written =
      writeReportFile(path, linksReportText(websiteUrl, result.rows, result.sections, localTime(now)));
  result.written = written.ok();
  if (!written.ok()) result.error = written.message;
  return result;
}

}  // namespace larkspur::reports
