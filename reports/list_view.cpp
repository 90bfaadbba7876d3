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

std::vector<std::string> linkRowTexts(const core::LinkRecord& r) {
  return {r.url.str(),
          r.link_text.str(),
          r.page_rank == -1 ? std::string("-") : std::to_string(r.page_rank),
          r.note.str(),
          r.email.str(),
          r.ip.str()};
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
