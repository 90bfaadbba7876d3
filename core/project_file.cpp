#include "core/project_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/fixed_text.h"
#include "core/property_table.h"
#include "core/rc4.h"
#include "core/target_health.h"

namespace larkspur::core {

namespace {

constexpr const char* kEngineTable = "m_searchengine";
constexpr const char* kEngineCount = "m_searchengine_count";
constexpr const char* kLinkTable = "linkme";
constexpr const char* kLinkCount = "m_link_count_me";
// The links' notes: one row per link with a note, naming the link by its row
// in the link table. Written last, and only when a link has a note, so files
// without notes keep exactly the bytes they always had.
constexpr const char* kLinkNotes = "linkme_notes";
// The targets' last check: one row per checked target, named by the target's
// name. Written after the notes, and only when some target has been checked.
constexpr const char* kTargetHealth = "m_searchengine_health";
// The links' details (link_details.h): one row per link with any, naming the
// link by its row in the link table. Written last, only when some link has
// details.
constexpr const char* kLinkDetails = "linkme_details";

// The profile texts in the order the file stores them.
constexpr const char* kProfileKeysInFileOrder[] = {
    "m_email",    "m_firstname", "m_lastname", "m_longdescript", "m_shortdescript", "m_szurl",
    "m_keyword",  "m_title",     "m_telephone", "m_password",    "m_user",          "m_address",
    "m_city",     "m_zip",       "m_category",  "m_country",     "m_category_addon1",
};

// Link columns: a text column names a text of the record and its capacity in
// the file, an integer column an int32 of the record.
struct LinkColumn {
  const char* name;
  std::size_t capacity;  // text columns
  std::string_view (*text)(const LinkRecord& record);
  void (*setText)(LinkRecord& record, std::string&& text);
  int32_t LinkRecord::*integer;  // integer columns
};

#define LARKSPUR_LINK_TEXT(key, member)                                         \
  {key, decltype(LinkRecord::member)::kCapacity,                                \
   [](const LinkRecord& r) -> std::string_view { return r.member; },           \
   [](LinkRecord& r, std::string&& t) { r.member = std::move(t); }, nullptr}
#define LARKSPUR_LINK_INT(key, member) {key, 0, nullptr, nullptr, &LinkRecord::member}

const LinkColumn kLinkColumns[] = {
    LARKSPUR_LINK_TEXT("m_szlink", url),
    LARKSPUR_LINK_TEXT("m_szlinktext", link_text),
    LARKSPUR_LINK_TEXT("m_szdescript", description),
    LARKSPUR_LINK_INT("m_pagerank", page_rank),
    LARKSPUR_LINK_INT("m_pagetraffic", page_traffic),
    LARKSPUR_LINK_INT("m_addtime", add_time),
    LARKSPUR_LINK_TEXT("m_status", status),
    LARKSPUR_LINK_TEXT("m_contactname", contact_name),
    LARKSPUR_LINK_TEXT("m_email", email),
    LARKSPUR_LINK_TEXT("m_ip", ip),
    LARKSPUR_LINK_INT("m_hits", hits),
};

#undef LARKSPUR_LINK_TEXT
#undef LARKSPUR_LINK_INT

// A row holds at least one cell and a cell at least its header (type, flag,
// name length, data length), so no row or column count in a project can be
// larger than its bytes divided by this.
constexpr std::size_t kMinCellBytes = 10;

// The first table entry of this name, or nullptr.
const PropTableView* firstTable(const PropertyView& table, const char* name) {
  for (const PropertyView::Entry& entry : table.entries()) {
    if (entry.value.name == name && entry.table) return &*entry.table;
  }
  return nullptr;
}

int32_t rowsOf(const PropertyView& table, const char* name) {
  const PropTableView* grid = firstTable(table, name);
  return grid ? grid->rows() : 0;
}

// Whether this table and every table nested in it claim no more rows and no
// more columns than `maxCount`. The parser only bounds rows x columns, which
// lets a grid without cells claim any number of rows or columns.
bool shapeFits(const PropTableView& grid, int64_t maxCount) {
  if (grid.rows() > maxCount || grid.columns() > maxCount) return false;
  const int64_t cells = int64_t{grid.rows()} * grid.columns();
  for (int64_t i = 0; i < cells; ++i) {
    const PropTableView* nested = grid.nested(static_cast<int32_t>(i / grid.columns()),
                                              static_cast<int32_t>(i % grid.columns()));
    if (nested && !shapeFits(*nested, maxCount)) return false;
  }
  return true;
}

// Whether every count the project claims could be held by its `length` bytes:
// the shape of every table, and the link and target tables' rows, each of
// which must hold a cell. Checked before anything is built from the counts.
bool countsFitTheBytes(const PropertyView& table, std::size_t length) {
  const auto maxCount = static_cast<int64_t>(length / kMinCellBytes);
  for (const PropertyView::Entry& entry : table.entries()) {
    if (!entry.table) continue;
    const PropTableView& grid = *entry.table;
    if (!shapeFits(grid, maxCount)) return false;
    bool rowTable = entry.value.name == kLinkTable || entry.value.name == kEngineTable;
    if (rowTable && grid.rows() > 0 && grid.columns() == 0) return false;
  }
  int32_t count = 0;
  if (table.getValue(kLinkCount, count) == 0 && count > maxCount) return false;
  count = 0;
  if (table.getValue(kEngineCount, count) == 0 && count > maxCount) return false;
  return true;
}

// The top-level tables of one name in file order, walked row by row: in the
// current row a column takes the first cell of its name in the first of these
// tables that has the row and such a cell, as PropertyTable::getCell finds it.
// A table leaves the walk once it has no more rows, so walking every row costs
// the cells looked at rather than rows x tables.
class RowWalk {
 public:
  RowWalk(const PropertyView& table, const char* name) {
    for (const PropertyView::Entry& entry : table.entries()) {
      if (entry.value.name != name || !entry.table) continue;
      if (entry.table->rows() > 0 && entry.table->columns() > 0) tables_.push_back(&*entry.table);
    }
    moveTo(0);
  }

  // Rows are visited in increasing order.
  void moveTo(int32_t row) {
    if (row >= nextEnd_) {
      std::erase_if(tables_, [row](const PropTableView* t) { return t->rows() <= row; });
      nextEnd_ = std::numeric_limits<int32_t>::max();
      for (const PropTableView* t : tables_) nextEnd_ = std::min(nextEnd_, t->rows());
    }
    // The row's cells in table order, read once for all its columns.
    cells_.clear();
    for (const PropTableView* t : tables_) {
      for (int32_t c = 0; c < t->columns(); ++c) cells_.push_back(t->cell(row, c));
    }
  }

  std::optional<PropCellView> find(std::string_view column) const {
    for (const PropCellView& cell : cells_) {
      if (cell.name == column) return cell;
    }
    return std::nullopt;
  }

  // The cell as a text of `capacity` bytes with its terminator (empty when
  // the row has no such cell): a cell of another type (binary, say) is read
  // as its bytes up to the first NUL, cut to the capacity.
  std::string readText(std::string_view column, std::size_t capacity) const {
    const std::optional<PropCellView> cell = find(column);
    if (!cell) return {};
    if (cell->type == kPropText && cell->flag == 0) {
      // The usual case, read in place.
      std::string_view text(reinterpret_cast<const char*>(cell->data.data()), cell->data.size());
      return std::string(text.substr(0, fittingLength(text, capacity)));
    }
    std::string field(capacity, '\0');
    PropertyView::copyCell(*cell, field.data(), capacity);
    field[capacity - 1] = '\0';
    field.resize(field.find('\0'));
    return field;
  }

 private:
  std::vector<const PropTableView*> tables_;
  std::vector<PropCellView> cells_;
  int32_t nextEnd_ = 0;
};

// The saved links: the rows of the link table, then zeroed links up to the
// saved count (at most kMaxMissingLinkRows of them).
std::vector<LinkList::Ptr> savedLinks(const PropertyView& table) {
  int32_t linkCount = 0;
  table.getValue(kLinkCount, linkCount);
  const int32_t linkRows = rowsOf(table, kLinkTable);
  if (linkCount > linkRows && linkCount - linkRows > kMaxMissingLinkRows) {
    linkCount = linkRows + kMaxMissingLinkRows;
  }
  std::vector<LinkList::Ptr> records;
  records.reserve(static_cast<std::size_t>(std::max(linkCount, 0)));
  RowWalk walk(table, kLinkTable);
  for (int32_t i = 0; i < linkCount; ++i) {
    auto record = std::make_shared<LinkRecord>();  // every field empty or zero
    if (i < linkRows) {
      walk.moveTo(i);
      for (const LinkColumn& column : kLinkColumns) {
        if (column.text) {
          column.setText(*record, walk.readText(column.name, column.capacity));
        } else if (const std::optional<PropCellView> cell = walk.find(column.name)) {
          PropertyView::copyCell(*cell, &((*record).*column.integer), sizeof(int32_t));
        }
      }
    }
    records.push_back(std::move(record));
  }
  return records;
}

// The notes table for `records`, or nullptr when no link has a note.
std::unique_ptr<PropTable> notesTable(const LinkList& links, const std::vector<LinkList::Ptr>& records) {
  std::vector<std::pair<int32_t, std::string>> notes;
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::string note = links.withLock([&] { return records[i]->note.str(); });
    if (!note.empty()) notes.emplace_back(static_cast<int32_t>(i), std::move(note));
  }
  if (notes.empty()) return nullptr;
  auto grid = std::make_unique<PropTable>(static_cast<int32_t>(notes.size()), 2);
  for (std::size_t n = 0; n < notes.size(); ++n) {
    const auto row = static_cast<int32_t>(n);
    grid->setInteger(row, 0, notes[n].first, "row");
    grid->setText(row, 1, notes[n].second, "note");
  }
  return grid;
}

// Puts the saved notes into the saved links; a note naming a row the links do
// not have is dropped.
void applySavedNotes(const PropertyView& table, std::vector<LinkList::Ptr>& records) {
  const int32_t rows = rowsOf(table, kLinkNotes);
  RowWalk walk(table, kLinkNotes);
  for (int32_t i = 0; i < rows; ++i) {
    walk.moveTo(i);
    int32_t row = -1;
    const std::optional<PropCellView> cell = walk.find("row");
    if (!cell || cell->type != kPropInteger) continue;
    PropertyView::copyCell(*cell, &row, sizeof row);
    if (row < 0 || static_cast<std::size_t>(row) >= records.size()) continue;
    LinkRecord& record = *records[static_cast<std::size_t>(row)];
    record.note = walk.readText("note", decltype(record.note)::kCapacity);
  }
}

// The details' table for `records`, or nullptr when no link has any.
std::unique_ptr<PropTable> detailsTable(const LinkList& links, const std::vector<LinkList::Ptr>& records) {
  std::vector<std::pair<int32_t, LinkDetails>> kept;
  for (std::size_t i = 0; i < records.size(); ++i) {
    LinkDetails details = links.withLock([&] { return records[i]->details; });
    if (!details.empty()) kept.emplace_back(static_cast<int32_t>(i), std::move(details));
  }
  if (kept.empty()) return nullptr;
  auto grid = std::make_unique<PropTable>(static_cast<int32_t>(kept.size()), 14);
  for (std::size_t n = 0; n < kept.size(); ++n) {
    const auto row = static_cast<int32_t>(n);
    const LinkDetails& d = kept[n].second;
    auto fit = [](std::string_view text) { return text.substr(0, fittingLength(text, kLinkDetailTextLimit + 1)); };
    grid->setInteger(row, 0, kept[n].first, "row");
    grid->setText(row, 1, fit(d.anchor), "anchor");
    grid->setText(row, 2, fit(d.rel), "rel");
    grid->setText(row, 3, fit(d.firstSeen), "first_seen");
    grid->setText(row, 4, fit(d.lastSeen), "last_seen");
    grid->setInteger(row, 5, d.site ? 1 : 0, "site");
    grid->setInteger(row, 6, d.httpStatus, "status");
    grid->setText(row, 7, fit(d.finalUrl), "final_url");
    grid->setInteger(row, 8, static_cast<int32_t>(d.linkFound), "link_found");
    grid->setInteger(row, 9, static_cast<int32_t>(d.indexable), "indexable");
    grid->setText(row, 10, fit(d.notIndexableBy), "not_indexable_by");
    grid->setText(row, 11, fit(d.lastChecked), "last_checked");
    grid->setText(row, 12, fit(d.lostSince), "lost_since");
    grid->setInteger(row, 13, static_cast<int32_t>(d.userSet), "user_set");
  }
  return grid;
}

Known knownOf(int32_t value) {
  return value == 1 ? Known::kYes : value == 0 ? Known::kNo : Known::kUnknown;
}

// Puts the saved details into the saved links; rows naming a link the list
// does not have are dropped.
void applySavedDetails(const PropertyView& table, std::vector<LinkList::Ptr>& records) {
  const int32_t rows = rowsOf(table, kLinkDetails);
  RowWalk walk(table, kLinkDetails);
  auto integer = [&walk](const char* column, int32_t fallback) {
    int32_t value = fallback;
    const std::optional<PropCellView> cell = walk.find(column);
    if (cell && cell->type == kPropInteger) PropertyView::copyCell(*cell, &value, sizeof value);
    return value;
  };
  constexpr std::size_t kText = kLinkDetailTextLimit + 1;
  for (int32_t i = 0; i < rows; ++i) {
    walk.moveTo(i);
    const int32_t row = integer("row", -1);
    if (row < 0 || static_cast<std::size_t>(row) >= records.size()) continue;
    LinkDetails& d = records[static_cast<std::size_t>(row)]->details;
    d.anchor = walk.readText("anchor", kText);
    d.rel = walk.readText("rel", kText);
    d.firstSeen = walk.readText("first_seen", kText);
    d.lastSeen = walk.readText("last_seen", kText);
    d.site = integer("site", 0) == 1;
    d.httpStatus = integer("status", 0);
    d.finalUrl = walk.readText("final_url", kText);
    d.linkFound = knownOf(integer("link_found", -1));
    d.indexable = knownOf(integer("indexable", -1));
    d.notIndexableBy = walk.readText("not_indexable_by", kText);
    d.lastChecked = walk.readText("last_checked", kText);
    d.lostSince = walk.readText("lost_since", kText);
    d.userSet = static_cast<uint32_t>(integer("user_set", 0)) & (kUserSetTitle | kUserSetContact | kUserSetEmail);
  }
}

// The verdicts' table, or nullptr when no target has been checked.
std::unique_ptr<PropTable> healthTable(const EngineTable& engines) {
  std::vector<const EngineRecord*> checked;
  for (std::size_t i = 0; i < engines.size(); ++i) {
    if (!engines.at(i)->health.empty()) checked.push_back(engines.at(i));
  }
  if (checked.empty()) return nullptr;
  auto grid = std::make_unique<PropTable>(static_cast<int32_t>(checked.size()), 4);
  for (std::size_t n = 0; n < checked.size(); ++n) {
    const auto row = static_cast<int32_t>(n);
    grid->setText(row, 0, checked[n]->name.view(), "name");
    grid->setText(row, 1, checked[n]->health.view(), "verdict");
    grid->setText(row, 2, checked[n]->health_reason.view(), "reason");
    grid->setText(row, 3, checked[n]->health_checked.view(), "checked");
  }
  return grid;
}

// Puts the saved verdicts into every target of the row's name.
void applySavedHealth(const PropertyView& table,
                      const std::unordered_map<std::string_view, std::vector<EngineRecord*>>& targetsByName) {
  const int32_t rows = rowsOf(table, kTargetHealth);
  RowWalk walk(table, kTargetHealth);
  for (int32_t i = 0; i < rows; ++i) {
    walk.moveTo(i);
    const std::string name = walk.readText("name", decltype(EngineRecord::name)::kCapacity);
    const std::string verdict = walk.readText("verdict", decltype(EngineRecord::health)::kCapacity);
    auto targets = targetsByName.find(std::string_view(name));
    if (targets == targetsByName.end() || verdict.empty() ||
        std::ranges::find(kHealthVerdicts, std::string_view(verdict)) == std::end(kHealthVerdicts)) {
      continue;
    }
    for (EngineRecord* record : targets->second) {
      record->health = verdict;
      record->health_reason = walk.readText("reason", decltype(EngineRecord::health_reason)::kCapacity);
      record->health_checked = walk.readText("checked", decltype(EngineRecord::health_checked)::kCapacity);
    }
  }
}

}  // namespace

std::optional<std::vector<uint8_t>> buildProjectBuffer(const WebsiteProfile& profile,
                                                       const EngineTable& engines,
                                                       const LinkList& links) {
  return buildProjectBuffer(profile, engines, links, AnnounceState{});
}

std::optional<std::vector<uint8_t>> buildProjectBuffer(const WebsiteProfile& profile,
                                                       const EngineTable& engines,
                                                       const LinkList& links,
                                                       const AnnounceState& announce) {
  PropertyTable table;

  const auto engineRows = static_cast<int32_t>(engines.size());
  auto engineTable = std::make_unique<PropTable>(engineRows, 4);
  for (int32_t i = 0; i < engineRows; ++i) {
    const EngineRecord& r = *engines.at(static_cast<std::size_t>(i));
    engineTable->setText(i, 0, r.name.view(), "szname");
    engineTable->setText(i, 1, r.submit_state.view(), "szstate");
    engineTable->setText(i, 2, r.message.view(), "szerrormsg");
    engineTable->setInteger(i, 3, r.rank, "rank");
  }
  if (table.addTable(kEngineTable, std::move(engineTable)) != 0) return std::nullopt;
  table.addInteger(kEngineCount, engineRows);

  for (const char* key : kProfileKeysInFileOrder) {
    const ProfileField* field = profileFieldByKey(key);
    table.addText(key, fieldView(field->in(profile), field->capacity));
  }

  // Copy each record under the list's lock so a worker writing it meanwhile
  // cannot tear what is saved.
  std::vector<LinkList::Ptr> records = links.snapshot();
  const auto linkRows = static_cast<int32_t>(records.size());
  auto linkTable = std::make_unique<PropTable>(linkRows, 11);
  for (int32_t i = 0; i < linkRows; ++i) {
    LinkRecord r = links.withLock([&] { return *records[static_cast<std::size_t>(i)]; });
    for (int32_t c = 0; c < 11; ++c) {
      const LinkColumn& col = kLinkColumns[c];
      if (col.text) {
        linkTable->setText(i, c, col.text(r), col.name);
      } else {
        linkTable->setInteger(i, c, r.*col.integer, col.name);
      }
    }
  }
  if (table.addTable(kLinkTable, std::move(linkTable)) != 0) return std::nullopt;
  table.addInteger(kLinkCount, linkRows);

  // Newer entries go last, so every entry before them keeps its bytes and
  // readers that do not know them find the rest where it always was.
  if (addAnnounceState(table, announce) != 0) return std::nullopt;
  if (std::unique_ptr<PropTable> notes = notesTable(links, records)) {
    if (table.addTable(kLinkNotes, std::move(notes)) != 0) return std::nullopt;
  }
  if (std::unique_ptr<PropTable> health = healthTable(engines)) {
    if (table.addTable(kTargetHealth, std::move(health)) != 0) return std::nullopt;
  }
  if (std::unique_ptr<PropTable> details = detailsTable(links, records)) {
    if (table.addTable(kLinkDetails, std::move(details)) != 0) return std::nullopt;
  }

  std::optional<std::vector<uint8_t>> bytes = table.serialise();
  if (!bytes) return std::nullopt;
  rc4Storage(*bytes);
  return bytes;
}

Status loadProjectBuffer(std::vector<uint8_t> buffer, WebsiteProfile& profile,
                         EngineTable& engines, LinkList& links, PpcList& ppc,
                         std::span<const EngineRecord> engineSource) {
  AnnounceState ignored;
  return loadProjectBuffer(std::move(buffer), profile, engines, links, ppc, engineSource, ignored);
}

Status loadProjectBuffer(std::vector<uint8_t> buffer, WebsiteProfile& profile,
                         EngineTable& engines, LinkList& links, PpcList& ppc,
                         std::span<const EngineRecord> engineSource, AnnounceState& announce) {
  rc4Storage(buffer);
  // Read in place: the buffer outlives the view.
  const std::optional<PropertyView> table = PropertyView::parse(buffer.data(), buffer.size());
  if (!table || !countsFitTheBytes(*table, buffer.size())) return Status::failure(kDataErrorMessage);

  // The links are the one thing a file can make large: they are built first,
  // so that running out of memory leaves the tables untouched.
  std::vector<LinkList::Ptr> savedRecords;
  AnnounceState savedAnnounce;
  try {
    savedRecords = savedLinks(*table);
    applySavedNotes(*table, savedRecords);
    applySavedDetails(*table, savedRecords);
    savedAnnounce = readAnnounceState(*table);
  } catch (const std::bad_alloc&) {
    return Status::failure(kDataErrorMessage);
  }

  engines.build(engineSource);
  ppc.fillFromBuiltIn();

  // Saved states, matched to targets by exact name; every matching target is
  // updated and a later row overwrites an earlier one. Rows past the table
  // cannot match anything, so the loop stops at the table's end.
  std::unordered_map<std::string_view, std::vector<EngineRecord*>> targetsByName;
  for (std::size_t e = 0; e < engines.size(); ++e) {
    EngineRecord* record = engines.at(e);
    targetsByName[record->name.view()].push_back(record);
  }
  int32_t engineCount = 0;
  table->getValue(kEngineCount, engineCount);
  engineCount = std::min(engineCount, rowsOf(*table, kEngineTable));
  RowWalk engineRows(*table, kEngineTable);
  for (int32_t i = 0; i < engineCount; ++i) {
    engineRows.moveTo(i);
    constexpr std::size_t kCellText = 260;
    const std::string name = engineRows.readText("szname", kCellText);
    const std::string state = engineRows.readText("szstate", kCellText);
    const std::string message = engineRows.readText("szerrormsg", kCellText);
    int32_t rank = 0;
    if (const std::optional<PropCellView> cell = engineRows.find("rank")) {
      PropertyView::copyCell(*cell, &rank, sizeof rank);
    }
    auto targets = targetsByName.find(std::string_view(name));
    if (targets == targetsByName.end()) continue;
    for (EngineRecord* record : targets->second) {
      record->submit_state = state;
      record->message = message;
      record->rank = rank;
    }
  }

  applySavedHealth(*table, targetsByName);

  for (LinkList::Ptr& record : savedRecords) links.append(std::move(record));

  for (const ProfileField& field : profileFields()) {
    char* text = field.in(profile);
    table->getValue(field.key, text, field.capacity);
    text[field.capacity - 1] = '\0';
  }
  profile.recomputeHost();
  announce = std::move(savedAnnounce);
  return Status::success();
}

}  // namespace larkspur::core
