#include "reports/list_view.h"

#include <utility>

#include "core/fixed_text.h"

namespace larkspur::reports {

using core::fieldView;

std::vector<std::size_t> ListView::visibleColumns() const {
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].visible()) shown.push_back(i);
  }
  return shown;
}

const std::string& ListView::cell(std::size_t row, std::size_t column) const {
  static const std::string kEmpty;
  if (row >= rows.size() || column >= rows[row].size()) return kEmpty;
  return rows[row][column];
}

std::vector<ViewColumn> defaultLinkColumns() {
  return {{"Link URL", 330}, {"Link Title", 0}, {"Rank", 40}, {"Note", 0}, {"Email", 0}, {"IP Address", 0}};
}

std::vector<ViewColumn> linkDetailColumns() {
  return {{"HTTP Status", 60}, {"Final URL", 200}, {"Link Found", 60},  {"Anchor", 120},      {"Rel", 80},
          {"Indexable", 120},  {"First Seen", 80}, {"Last Checked", 130}, {"Lost Since", 130}};
}

namespace {

std::string knownText(core::Known known) {
  return known == core::Known::kYes ? "Yes" : known == core::Known::kNo ? "No" : "";
}

}  // namespace

std::vector<std::string> linkRowTexts(const core::LinkRecord& r) {
  const core::LinkDetails& d = r.details;
  std::string indexable = knownText(d.indexable);
  if (d.indexable == core::Known::kNo && !d.notIndexableBy.empty()) indexable += " (" + d.notIndexableBy + ")";
  return {r.url.str(),
          r.link_text.str(),
          r.page_rank == -1 ? std::string("-") : std::to_string(r.page_rank),
          r.note.str(),
          r.email.str(),
          r.ip.str(),
          d.httpStatus == 0 ? std::string() : std::to_string(d.httpStatus),
          d.finalUrl,
          knownText(d.linkFound),
          d.anchor,
          d.rel,
          indexable,
          d.firstSeen,
          d.lastChecked,
          d.lostSince};
}

ListView linkListView(const core::LinkList& links, std::vector<ViewColumn> columns) {
  ListView view;
  view.columns = std::move(columns);
  for (const core::LinkList::Ptr& record : links.snapshot()) {
    view.rows.push_back(links.withLock([&] { return linkRowTexts(*record); }));
  }
  return view;
}

std::vector<ViewColumn> defaultEngineColumns() {
  return {{"Search Engine", 88}, {"Country", 88}, {"Type", 48}, {"Rank", 48}, {"Submit State", 80}};
}

std::vector<std::string> engineRowTexts(const core::EngineRecord& r) {
  return {r.name.str(), r.country.str(), core::submitTypeLabel(r.submit_type),
          std::to_string(r.rank), r.submit_state.str()};
}

ListView engineListView(const core::EngineTable& engines, std::vector<ViewColumn> columns) {
  ListView view;
  view.columns = std::move(columns);
  for (std::size_t i = 0; i < engines.size(); ++i) view.rows.push_back(engineRowTexts(*engines.at(i)));
  return view;
}

}  // namespace larkspur::reports
