#include "reports/links_report.h"

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
  if (fetchResult != web::kFetchComplete) {
    return errorText.empty() ? std::string(kLinkStateConnectError) : std::string(errorText);
  }
  // A profile without a URL cannot be linked to.
  const bool linked = !websiteUrl.empty() && core::asciiContainsNoCase(page, websiteUrl);
  return linked ? kLinkStateOk : kLinkStateRemoved;
}

std::string linksReportText(std::string_view websiteUrl, std::span<const LinksReportRow> rows, const std::tm& now) {
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
    const std::string url = escapeHtml(r.url);
    // Only a web address becomes a link; anything else stays text.
    row(out, core::isWebAddress(r.url) ? "<a href=\"" + url + "\">" + url + "</a>" : url, escapeHtml(r.title),
        escapeHtml(r.pageRank), escapeHtml(r.state));
  }
  out += "</body></html>";
  return withCrLf(out);
}

LinksReportResult runLinksReport(const core::LinkList& links, const std::string& websiteUrl,
                                 const std::filesystem::path& path, core::Coordination& coordination,
                                 const LinksReportOptions& options) {
  LinksReportResult result;
  std::vector<char> page(options.pageCapacity == 0 ? 1 : options.pageCapacity);

  for (std::size_t i = 0; i < links.size(); ++i) {
    const core::LinkList::Ptr record = links.at(i);
    if (!record) break;
    LinksReportRow r = links.withLock([&] {
      LinksReportRow made;
      made.url = record->url.view();
      made.title = record->link_text.view();
      made.pageRank = std::to_string(record->page_rank);
      return made;
    });

    char errorText[web::kFetchErrorTextCapacity] = {};
    uint32_t received = 0;
    const int32_t fetched = web::pageFetch(r.url, page.data(), static_cast<uint32_t>(page.size()), received,
                                              errorText, coordination.stop, options.fetch);
    if (fetched != web::kFetchComplete && coordination.stop.isSet()) {
      // Stopped before this link's page arrived: it was not checked.
      result.stopped = true;
      break;
    }
    r.state = linkState(fetched, core::fieldView(errorText, sizeof errorText),
                        std::string_view(page.data(), received), websiteUrl);
    result.rows.push_back(std::move(r));
    if (options.onChecked) options.onChecked(result.rows.size());
    if (coordination.stop.isSet()) {
      result.stopped = true;
      break;
    }
  }

  const std::time_t now = options.clock ? options.clock() : std::time(nullptr);
  const core::Status written = writeReportFile(path, linksReportText(websiteUrl, result.rows, localTime(now)));
  result.written = written.ok();
  if (!written.ok()) result.error = written.message;
  return result;
}

}  // namespace larkspur::reports
