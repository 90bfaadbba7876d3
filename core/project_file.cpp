#include "core/project_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/fixed_text.h"
#include "core/property_table.h"
#include "core/rc4.h"

namespace larkspur::core {

namespace {

constexpr const char* kEngineTable = "m_searchengine";
constexpr const char* kEngineCount = "m_searchengine_count";
constexpr const char* kLinkTable = "linkme";
constexpr const char* kLinkCount = "m_link_count_me";

// The profile texts in the order the file stores them.
constexpr const char* kProfileKeysInFileOrder[] = {
    "m_email",    "m_firstname", "m_lastname", "m_longdescript", "m_shortdescript", "m_szurl",
    "m_keyword",  "m_title",     "m_telephone", "m_password",    "m_user",          "m_address",
    "m_city",     "m_zip",       "m_category",  "m_country",     "m_category_addon1",
};

// Link columns: text columns name a char field, integer columns an int32.
struct LinkColumn {
  const char* name;
  bool isText;
  std::size_t offset;
  std::size_t size;
};

#define LARKSPUR_LINK_TEXT(key, member) \
  {key, true, offsetof(LinkRecord, member), sizeof(LinkRecord::member)}
#define LARKSPUR_LINK_INT(key, member) \
  {key, false, offsetof(LinkRecord, member), sizeof(LinkRecord::member)}

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

// The first table entry of this name, or nullptr.
const PropTable* firstTable(const PropertyTable& table, const char* name) {
  for (const PropValue& entry : table.entries()) {
    if (entry.name == name && entry.type == kPropTable && entry.table) return entry.table.get();
  }
  return nullptr;
}

int32_t rowsOf(const PropertyTable& table, const char* name) {
  const PropTable* grid = firstTable(table, name);
  return grid ? grid->rows() : 0;
}

// A text cell into a fixed field. A cell of another type (binary, say) may
// fill the field completely, so the last byte is always made a terminator.
void readTextCell(const PropertyTable& table, const char* tableName, const char* column,
                  int32_t row, char* field, std::size_t capacity) {
  table.getCell(tableName, column, row, field, capacity);
  field[capacity - 1] = '\0';
}

}  // namespace

std::optional<std::vector<uint8_t>> buildProjectBuffer(const WebsiteProfile& profile,
                                                       const EngineTable& engines,
                                                       const LinkList& links) {
  PropertyTable table;

  const auto engineRows = static_cast<int32_t>(engines.size());
  auto engineTable = std::make_unique<PropTable>(engineRows, 4);
  for (int32_t i = 0; i < engineRows; ++i) {
    const EngineRecord& r = *engines.at(static_cast<std::size_t>(i));
    engineTable->setText(i, 0, fieldView(r.name), "szname");
    engineTable->setText(i, 1, fieldView(r.submit_state), "szstate");
    engineTable->setText(i, 2, fieldView(r.message), "szerrormsg");
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
      const char* base = reinterpret_cast<const char*>(&r) + col.offset;
      if (col.isText) {
        linkTable->setText(i, c, fieldView(base, col.size), col.name);
      } else {
        int32_t value;
        std::memcpy(&value, base, sizeof value);
        linkTable->setInteger(i, c, value, col.name);
      }
    }
  }
  if (table.addTable(kLinkTable, std::move(linkTable)) != 0) return std::nullopt;
  table.addInteger(kLinkCount, linkRows);

  std::optional<std::vector<uint8_t>> bytes = table.serialise();
  if (!bytes) return std::nullopt;
  rc4Storage(*bytes);
  return bytes;
}

Status loadProjectBuffer(std::vector<uint8_t> buffer, WebsiteProfile& profile,
                         EngineTable& engines, LinkList& links, PpcList& ppc,
                         std::span<const EngineRecord> engineSource) {
  rc4Storage(buffer);
  std::unique_ptr<PropertyTable> table = PropertyTable::parse(buffer.data(), buffer.size());
  if (!table) return Status::failure(kDataErrorMessage);

  engines.build(engineSource);
  ppc.fillFromBuiltIn();

  // Saved states, matched to targets by exact name; every matching target is
  // updated and a later row overwrites an earlier one. Rows past the table
  // cannot match anything, so the loop stops at the table's end.
  int32_t engineCount = 0;
  table->getValue(kEngineCount, engineCount);
  engineCount = std::min(engineCount, rowsOf(*table, kEngineTable));
  for (int32_t i = 0; i < engineCount; ++i) {
    char name[260] = {};
    char state[260] = {};
    char message[260] = {};
    int32_t rank = 0;
    readTextCell(*table, kEngineTable, "szname", i, name, sizeof name);
    readTextCell(*table, kEngineTable, "szstate", i, state, sizeof state);
    readTextCell(*table, kEngineTable, "szerrormsg", i, message, sizeof message);
    table->getCell(kEngineTable, "rank", i, rank);
    std::string_view savedName(name);
    for (std::size_t e = 0; e < engines.size(); ++e) {
      EngineRecord* record = engines.at(e);
      if (fieldView(record->name) != savedName) continue;
      copyText(record->submit_state, state);
      copyText(record->message, message);
      record->rank = rank;
    }
  }

  int32_t linkCount = 0;
  table->getValue(kLinkCount, linkCount);
  const int32_t linkRows = rowsOf(*table, kLinkTable);
  if (linkCount > linkRows && linkCount - linkRows > kMaxMissingLinkRows) {
    linkCount = linkRows + kMaxMissingLinkRows;
  }
  // Each row is walked once: a column takes the first cell of its name, as a
  // cell lookup by name would; columns the first `linkme` table lacks are
  // looked up by name in the later ones.
  const PropTable* linkGrid = firstTable(*table, kLinkTable);
  constexpr std::size_t kColumns = std::size(kLinkColumns);
  for (int32_t i = 0; i < linkCount; ++i) {
    auto record = std::make_shared<LinkRecord>();  // value-initialised: all zero
    char* base = reinterpret_cast<char*>(record.get());
    if (i < linkRows) {
      bool found[kColumns] = {};
      if (linkGrid && i < linkGrid->rows()) {
        for (int32_t c = 0; c < linkGrid->columns(); ++c) {
          const PropValue* cell = linkGrid->cell(i, c);
          if (!cell->set) continue;
          for (std::size_t k = 0; k < kColumns; ++k) {
            if (found[k] || cell->name != kLinkColumns[k].name) continue;
            found[k] = true;
            PropertyTable::copyCell(*cell, base + kLinkColumns[k].offset, kLinkColumns[k].size);
            break;
          }
        }
      }
      for (std::size_t k = 0; k < kColumns; ++k) {
        if (!found[k]) {
          table->getCell(kLinkTable, kLinkColumns[k].name, i, base + kLinkColumns[k].offset,
                         kLinkColumns[k].size);
        }
        // Whatever the cell held, a text field keeps its terminator.
        if (kLinkColumns[k].isText) base[kLinkColumns[k].offset + kLinkColumns[k].size - 1] = '\0';
      }
    }
    links.append(std::move(record));
  }

  for (const ProfileField& field : profileFields()) {
    char* text = field.in(profile);
    table->getValue(field.key, text, field.capacity);
    text[field.capacity - 1] = '\0';
  }
  profile.recomputeHost();
  return Status::success();
}

}  // namespace larkspur::core
