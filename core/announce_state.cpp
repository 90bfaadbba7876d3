#include "core/announce_state.h"

#include <memory>
#include <optional>
#include <string_view>

#include "core/property_table.h"

namespace larkspur::core {

namespace {

constexpr const char* kKeyEntry = "announce_key";
constexpr const char* kKeyHostEntry = "announce_key_host";
constexpr const char* kLogEntry = "announce_log";
constexpr const char* kSentEntry = "announce_sent";

const PropTableView* tableNamed(const PropertyView& table, std::string_view name) {
  for (const PropertyView::Entry& entry : table.entries()) {
    if (entry.value.name == name && entry.table) return &*entry.table;
  }
  return nullptr;
}

// The first cell named `column` in `row`, or nullopt.
std::optional<PropCellView> cellNamed(const PropTableView& grid, int32_t row, std::string_view column) {
  for (int32_t c = 0; c < grid.columns(); ++c) {
    PropCellView cell = grid.cell(row, c);
    if (cell.name == column) return cell;
  }
  return std::nullopt;
}

std::string textOf(const std::optional<PropCellView>& cell) {
  if (!cell || cell->type != kPropText) return {};
  std::string text(cell->data.begin(), cell->data.end());
  if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

int32_t integerOf(const std::optional<PropCellView>& cell) {
  int32_t value = 0;
  if (cell && cell->type == kPropInteger) PropertyView::copyCell(*cell, &value, sizeof value);
  return value;
}

std::string textEntry(const PropertyView& table, std::string_view name) {
  const PropCellView* value = table.findValue(name);
  return value ? textOf(*value) : std::string();
}

}  // namespace

void AnnounceState::addLog(AnnounceLogEntry entry) {
  log.push_back(std::move(entry));
  if (log.size() > kMaxAnnounceLogEntries) {
    log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(log.size() - kMaxAnnounceLogEntries));
  }
}

int addAnnounceState(PropertyTable& table, const AnnounceState& state) {
  if (state.empty()) return 0;
  if (table.addText(kKeyEntry, std::string_view(state.key)) != 0) return -1;
  if (table.addText(kKeyHostEntry, std::string_view(state.keyHost)) != 0) return -1;

  const auto logRows = static_cast<int32_t>(state.log.size());
  auto log = std::make_unique<PropTable>(logRows, 5);
  for (int32_t i = 0; i < logRows; ++i) {
    const AnnounceLogEntry& e = state.log[static_cast<std::size_t>(i)];
    log->setText(i, 0, std::string_view(e.time), "time");
    log->setText(i, 1, std::string_view(e.endpoint), "endpoint");
    log->setInteger(i, 2, e.urlCount, "urls");
    log->setInteger(i, 3, e.code, "code");
    log->setText(i, 4, std::string_view(e.answer), "answer");
  }
  if (table.addTable(kLogEntry, std::move(log)) != 0) return -1;

  const auto sentRows = static_cast<int32_t>(state.announced.size());
  auto sent = std::make_unique<PropTable>(sentRows, 2);
  int32_t row = 0;
  for (const auto& [url, lastmod] : state.announced) {
    sent->setText(row, 0, std::string_view(url), "url");
    sent->setText(row, 1, std::string_view(lastmod), "lastmod");
    ++row;
  }
  return table.addTable(kSentEntry, std::move(sent));
}

AnnounceState readAnnounceState(const PropertyView& table) {
  AnnounceState state;
  state.key = textEntry(table, kKeyEntry);
  state.keyHost = textEntry(table, kKeyHostEntry);
  if (const PropTableView* log = tableNamed(table, kLogEntry)) {
    for (int32_t r = 0; r < log->rows(); ++r) {
      AnnounceLogEntry e;
      e.time = textOf(cellNamed(*log, r, "time"));
      e.endpoint = textOf(cellNamed(*log, r, "endpoint"));
      e.urlCount = integerOf(cellNamed(*log, r, "urls"));
      e.code = integerOf(cellNamed(*log, r, "code"));
      e.answer = textOf(cellNamed(*log, r, "answer"));
      state.addLog(std::move(e));
    }
  }
  if (const PropTableView* sent = tableNamed(table, kSentEntry)) {
    for (int32_t r = 0; r < sent->rows(); ++r) {
      std::string url = textOf(cellNamed(*sent, r, "url"));
      if (!url.empty()) state.announced[url] = textOf(cellNamed(*sent, r, "lastmod"));
    }
  }
  return state;
}

}  // namespace larkspur::core
