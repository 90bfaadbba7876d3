#pragma once
// What a list view shows, as reports and exports take it: the header columns
// with their titles and widths (a width of 0 hides a column) and the rows in
// display order, each with one text per header column. The desktop program
// fills it from its list widgets (after sorting, with the user's widths); the
// command line fills it with the defaults below.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/link_list.h"
#include "core/link_record.h"

namespace larkspur::reports {

struct ViewColumn {
  std::string title;
  int32_t width = 0;

  bool visible() const { return width != 0; }
};

struct ListView {
  std::vector<ViewColumn> columns;             // header order
  std::vector<std::vector<std::string>> rows;  // display order; one text per header column

  // Indices of the columns whose width is not 0, in header order.
  std::vector<std::size_t> visibleColumns() const;
  // The text of a row's cell; empty when the row holds fewer texts.
  const std::string& cell(std::size_t row, std::size_t column) const;
};

// The link list's six columns with their default widths: "Link URL" 330,
// "Link Title" 0, "Rank" 40, "Note" 0, "Email" 0, "IP Address" 0.
std::vector<ViewColumn> defaultLinkColumns();
// The columns of what the last check found, after those six, each with the
// width it is shown with: "HTTP Status", "Final URL", "Link Found", "Anchor",
// "Rel", "Indexable", "First Seen", "Last Checked", "Lost Since".
std::vector<ViewColumn> linkDetailColumns();
// A link's row texts: URL, link text, page rank ("-" for -1), note, e-mail,
// IP address; then its details under linkDetailColumns() (status empty when
// none came, found and indexable "Yes", "No" or empty, indexable "No" with
// why in brackets).
std::vector<std::string> linkRowTexts(const core::LinkRecord& record);
// The Link list in list order under the given columns; each record is read
// under the list's lock.
ListView linkListView(const core::LinkList& links, std::vector<ViewColumn> columns = defaultLinkColumns());

// The engine list's five columns with their default widths: "Search Engine"
// 88, "Country" 88, "Type" 48, "Rank" 48, "Submit State" 80.
std::vector<ViewColumn> defaultEngineColumns();
// A target's row texts: name, country, "AUTO"/"SEMI", rank, submit state.
std::vector<std::string> engineRowTexts(const core::EngineRecord& record);
// The Engine table in table order under the given columns.
ListView engineListView(const core::EngineTable& engines,
                        std::vector<ViewColumn> columns = defaultEngineColumns());

}  // namespace larkspur::reports
