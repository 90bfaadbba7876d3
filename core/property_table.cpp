#include "core/property_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "core/fixed_text.h"

namespace larkspur::core {
namespace {

constexpr int64_t kHeaderSize = 12;      // marker or rows, count or columns, payload length
constexpr int64_t kValueHeaderSize = 10;  // type, flag, name length, data length
constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();
// Every cell takes at least its header in the byte format, so no table with
// more cells than this can ever be written out.
constexpr int64_t kMaxCells = (kMaxLength - kHeaderSize) / kValueHeaderSize;
// Tables nest inside tables; a crafted file must not be able to exhaust the
// stack of the recursive parser.
constexpr int kMaxNesting = 64;

int32_t readI32(const uint8_t* p) {
  uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  return static_cast<int32_t>(v);
}

void writeI32(uint8_t* p, int64_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// Names and texts are NUL-terminated strings: they end at the first zero byte.
std::string_view upToNul(std::string_view text) {
  std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view asText(const uint8_t* bytes, std::size_t length) {
  return std::string_view(reinterpret_cast<const char*>(bytes), length);
}

std::vector<uint8_t> textBytes(std::string_view text) {
  text = upToNul(text);
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> integerBytes(int32_t value) {
  std::vector<uint8_t> bytes(4);
  writeI32(bytes.data(), value);
  return bytes;
}

// A text list is kept in its byte format, normalised: the items up to the end
// of the list (each: text, number + 1, zero byte) followed by the closing zero
// byte. Bytes after the end of the list are dropped; an item cut off by the
// end of the data keeps what it has. A list of two bytes or fewer is empty.
std::vector<uint8_t> normaliseTextList(const uint8_t* bytes, std::size_t length) {
  std::vector<uint8_t> out;
  if (length > 2) {
    std::size_t i = 0;
    while (i < length && bytes[i] != 0) {
      std::size_t end = i;
      while (end < length && bytes[end] != 0) ++end;
      out.insert(out.end(), bytes + i, bytes + end);
      out.push_back(0);
      i = end + 1;
    }
  }
  if (out.empty()) out.push_back(0);  // an empty list is two zero bytes
  out.push_back(0);
  return out;
}

std::optional<int64_t> valueLength(const PropValue& value) {
  if (value.type == kPropTable) {
    if (!value.table) return std::nullopt;
    return value.table->serialisedLength();
  }
  if (value.data.size() > static_cast<std::size_t>(kMaxLength)) return std::nullopt;
  return static_cast<int64_t>(value.data.size());
}

// Serialised size of one entry or cell with its header and name.
std::optional<int64_t> recordLength(const PropValue& value) {
  std::optional<int64_t> length = valueLength(value);
  if (!length || value.name.size() > static_cast<std::size_t>(kMaxLength)) return std::nullopt;
  return kValueHeaderSize + static_cast<int64_t>(value.name.size()) + *length;
}

void writeTable(uint8_t*& p, const PropTable& table);

void writeValue(uint8_t*& p, const PropValue& value) {
  p[0] = value.type;
  p[1] = value.flag;
  writeI32(p + 2, static_cast<int64_t>(value.name.size()));
  uint8_t* dataLengthField = p + 6;
  p += kValueHeaderSize;
  std::memcpy(p, value.name.data(), value.name.size());
  p += value.name.size();
  uint8_t* start = p;
  if (value.type == kPropTable) {
    writeTable(p, *value.table);
  } else if (!value.data.empty()) {
    std::memcpy(p, value.data.data(), value.data.size());
    p += value.data.size();
  }
  writeI32(dataLengthField, p - start);
}

void writeTable(uint8_t*& p, const PropTable& table) {
  uint8_t* start = p;
  writeI32(p, table.rows());
  writeI32(p + 4, table.columns());
  p += kHeaderSize;
  // Walk the cells rather than the rows: a grid may have many rows and no columns.
  const int64_t columns = table.columns();
  const int64_t cellCount = int64_t{table.rows()} * columns;
  for (int64_t i = 0; i < cellCount; ++i) {
    writeValue(p, *table.cell(static_cast<int32_t>(i / columns), static_cast<int32_t>(i % columns)));
  }
  writeI32(start + 8, p - start - kHeaderSize);
}

// The header of one entry or cell at `p` within `length` bytes, checked so that
// its name and data lie inside those bytes.
struct RecordView {
  uint8_t type;
  uint8_t flag;
  std::string_view name;
  const uint8_t* data;
  int32_t dataLength;
  int64_t end;  // position after the record
};

std::optional<RecordView> readRecord(const uint8_t* bytes, int64_t length, int64_t p) {
  if (p + kValueHeaderSize > length) return std::nullopt;
  const uint8_t* header = bytes + p;
  int32_t n = readI32(header + 2);
  int32_t d = readI32(header + 6);
  if (n < 0 || d < 0) return std::nullopt;
  int64_t end = p + kValueHeaderSize + int64_t{n} + int64_t{d};
  if (end > length) return std::nullopt;
  const uint8_t* name = header + kValueHeaderSize;
  return RecordView{header[0], header[1], upToNul(asText(name, static_cast<std::size_t>(n))),
                    name + n, d, end};
}

// Data of a type-2 value: with flag 0 the text up to its first zero byte,
// otherwise the bytes as they are.
// The data of a record as the parser keeps them: a flag-0 text ends at its
// first zero byte.
std::span<const uint8_t> storedData(const RecordView& record) {
  std::size_t d = static_cast<std::size_t>(record.dataLength);
  if (record.type == kPropText && record.flag == 0) d = upToNul(asText(record.data, d)).size();
  return {record.data, d};
}

PropCellView cellOf(const RecordView& record) {
  return PropCellView{record.type, record.flag, record.name, storedData(record)};
}

// The tree of a checked table view.
std::unique_ptr<PropTable> buildTable(const PropTableView& view) {
  auto table = std::make_unique<PropTable>(view.rows(), view.columns());
  // Walk the cells rather than the rows: a grid may have many rows and no columns.
  const int64_t columns = view.columns();
  const int64_t cellCount = int64_t{view.rows()} * columns;
  for (int64_t i = 0; i < cellCount; ++i) {
    const auto row = static_cast<int32_t>(i / columns);
    const auto column = static_cast<int32_t>(i % columns);
    const PropCellView cell = view.cell(row, column);
    int rc = 0;
    if (const PropTableView* nested = view.nested(row, column)) {
      rc = table->setTable(row, column, buildTable(*nested), cell.name);
    } else {
      rc = table->setRaw(row, column, cell.type, cell.flag, cell.name,
                         std::vector<uint8_t>(cell.data.begin(), cell.data.end()));
    }
    if (rc != 0) throw std::bad_alloc();
  }
  return table;
}

template <class F>
int noThrow(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return -1;
  } catch (const std::length_error&) {
    return -1;
  }
}

// Copies a 4-byte integer from `data` (zero-padded when shorter) into dest.
void copyInteger(std::span<const uint8_t> data, void* dest, std::size_t capacity) {
  if (capacity == 0) return;
  uint8_t value[4] = {};
  if (!data.empty()) std::memcpy(value, data.data(), std::min<std::size_t>(data.size(), 4));
  std::memcpy(dest, value, std::min<std::size_t>(capacity, 4));
}

void copyBytes(std::span<const uint8_t> data, void* dest, std::size_t capacity) {
  std::size_t n = std::min(data.size(), capacity);
  if (n > 0) std::memcpy(dest, data.data(), n);
}

void copyTextValue(std::span<const uint8_t> data, void* dest, std::size_t capacity) {
  // Empty data may have no storage; hand over a view that still points somewhere.
  std::string_view text = data.empty() ? std::string_view("") : asText(data.data(), data.size());
  copyText(static_cast<char*>(dest), capacity, text);
}

// The types findValue and getValue look at.
bool isValueType(uint8_t type) {
  return type == kPropInteger || type == kPropText || type == kPropValue8 || type == kPropBinary;
}

// What getValue copies: types 1 and 4 four bytes, type 2 the text with its
// terminator, type 6 its bytes.
void copyValue(uint8_t type, std::span<const uint8_t> data, void* dest, std::size_t capacity) {
  if (!dest) capacity = 0;
  switch (type) {
    case kPropInteger:
    case kPropValue8:
      copyInteger(data, dest, capacity);
      break;
    case kPropText:
      copyTextValue(data, dest, capacity);
      break;
    default:  // kPropBinary
      copyBytes(data, dest, capacity);
      break;
  }
}

// An entry of a Property table: set, its name up to its first zero byte.
PropValue makeEntry(uint8_t type, uint8_t flag, std::string_view name, std::vector<uint8_t> data) {
  PropValue entry;
  entry.type = type;
  entry.flag = flag;
  entry.set = true;
  entry.name = std::string(upToNul(name));
  entry.data = std::move(data);
  return entry;
}

// The first entry named `name` whose type findValue looks at, of a tree or a
// view (`valueOf` gives an entry's value).
template <class Entry, class ValueOf>
auto firstValueNamed(const std::vector<Entry>& entries, std::string_view name, ValueOf valueOf)
    -> decltype(valueOf(entries.front())) {
  for (const Entry& entry : entries) {
    const auto* value = valueOf(entry);
    if (value->name == name && isValueType(value->type)) return value;
  }
  return nullptr;
}

// What getValue copies of a found value; -1 when there is none.
template <class Value>
int copyValueOf(const Value* value, void* dest, std::size_t capacity) {
  if (!value) return -1;
  copyValue(value->type, value->data, dest, capacity);
  return 0;
}

// What copyCell copies; -1 when the type or flag gives nothing to copy.
int copyCellData(uint8_t type, uint8_t flag, std::span<const uint8_t> data, void* dest,
                 std::size_t capacity) {
  if (!dest) capacity = 0;
  switch (type) {
    case kPropInteger:
      copyInteger(data, dest, capacity);
      return 0;
    case kPropText:
      if (flag != 0) return -1;
      copyTextValue(data, dest, capacity);
      return 0;
    case kPropBinary:
      copyBytes(data, dest, capacity);
      return 0;
    default:
      return -1;
  }
}

}  // namespace

// --- PropValue --------------------------------------------------------------

int32_t PropValue::dataLength() const {
  std::optional<int64_t> length = valueLength(*this);
  return length && *length <= kMaxLength ? static_cast<int32_t>(*length) : -1;
}

// --- PropTable --------------------------------------------------------------

PropTable::PropTable(int32_t rows, int32_t columns)
    : rows_(std::max(rows, 0)), columns_(std::max(columns, 0)) {
  cells_.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_));
}

PropValue* PropTable::mutableCell(int32_t row, int32_t column) {
  if (row < 0 || column < 0) return nullptr;
  if (row >= rows_ || column >= columns_) {
    int64_t newRows = std::max<int64_t>(rows_, int64_t{row} + 1);
    int64_t newColumns = std::max<int64_t>(columns_, int64_t{column} + 1);
    if (newRows > kMaxLength || newColumns > kMaxLength || newRows * newColumns > kMaxCells) {
      return nullptr;
    }
    try {
      std::vector<PropValue> grown(static_cast<std::size_t>(newRows * newColumns));
      for (int64_t r = 0; columns_ > 0 && r < rows_; ++r) {
        for (int64_t c = 0; c < columns_; ++c) {
          grown[static_cast<std::size_t>(r * newColumns + c)] =
              std::move(cells_[static_cast<std::size_t>(r * columns_ + c)]);
        }
      }
      cells_ = std::move(grown);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    rows_ = static_cast<int32_t>(newRows);
    columns_ = static_cast<int32_t>(newColumns);
  }
  return &cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                 static_cast<std::size_t>(column)];
}

const PropValue* PropTable::cell(int32_t row, int32_t column) const {
  if (row < 0 || column < 0 || row >= rows_ || column >= columns_) return nullptr;
  return &cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                 static_cast<std::size_t>(column)];
}

int PropTable::setInteger(int32_t row, int32_t column, int32_t value, std::string_view name) {
  return setRaw(row, column, kPropInteger, 0, name, integerBytes(value));
}

int PropTable::setText(int32_t row, int32_t column, const char* text, std::string_view name,
                       uint8_t flag) {
  return setText(row, column, std::string_view(text ? text : ""), name, flag);
}

int PropTable::setText(int32_t row, int32_t column, std::string_view text, std::string_view name,
                       uint8_t flag) {
  return noThrow([&] { return setRaw(row, column, kPropText, flag, name, textBytes(text)); });
}

int PropTable::setTable(int32_t row, int32_t column, std::unique_ptr<PropTable> nested,
                        std::string_view name) {
  if (!nested || !nested->valid()) return -1;
  return noThrow([&] {
    std::string ownName(upToNul(name));
    PropValue* cell = mutableCell(row, column);
    if (!cell) return -1;
    cell->type = kPropTable;
    cell->flag = 0;
    cell->set = true;
    cell->name = std::move(ownName);
    cell->data.clear();
    cell->table = std::move(nested);
    return 0;
  });
}

int PropTable::setRaw(int32_t row, int32_t column, uint8_t type, uint8_t flag,
                      std::string_view name, std::vector<uint8_t> data) {
  if (type != kPropInteger && type != kPropText && type != kPropValue8 && type != kPropBinary) {
    return -1;
  }
  if (data.size() > static_cast<std::size_t>(kMaxLength)) return -1;
  return noThrow([&] {
    std::string ownName(upToNul(name));
    PropValue* cell = mutableCell(row, column);
    if (!cell) return -1;
    cell->type = type;
    cell->flag = flag;
    cell->set = true;
    cell->name = std::move(ownName);
    cell->data = std::move(data);
    cell->table.reset();
    return 0;
  });
}

bool PropTable::valid() const {
  for (const PropValue& cell : cells_) {
    if (!cell.set) return false;
    if (cell.type == kPropTable && (!cell.table || !cell.table->valid())) return false;
  }
  return true;
}

std::optional<int64_t> PropTable::serialisedLength() const {
  int64_t total = kHeaderSize;
  for (const PropValue& cell : cells_) {
    if (!cell.set) return std::nullopt;
    std::optional<int64_t> length = recordLength(cell);
    if (!length) return std::nullopt;
    total += *length;
    if (total > kMaxLength) return std::nullopt;
  }
  return total;
}

// --- PropertyTable ----------------------------------------------------------

int PropertyTable::addInteger(std::string_view name, int32_t value, uint8_t flag) {
  return noThrow([&] {
    entries_.push_back(makeEntry(kPropInteger, flag, name, integerBytes(value)));
    return 0;
  });
}

int PropertyTable::addText(std::string_view name, const char* text, uint8_t flag) {
  return addText(name, std::string_view(text ? text : ""), flag);
}

int PropertyTable::addText(std::string_view name, std::string_view text, uint8_t flag) {
  return noThrow([&] {
    std::vector<uint8_t> data = textBytes(text);
    if (data.size() > static_cast<std::size_t>(kMaxLength)) return -1;
    entries_.push_back(makeEntry(kPropText, flag, name, std::move(data)));
    return 0;
  });
}

int PropertyTable::addBinary(std::string_view name, const void* bytes, std::size_t length,
                             uint8_t flag) {
  if (!bytes) length = 0;
  if (length > static_cast<std::size_t>(kMaxLength)) return -1;
  return noThrow([&] {
    const uint8_t* begin = static_cast<const uint8_t*>(bytes);
    entries_.push_back(makeEntry(kPropBinary, flag, name,
                                 length > 0 ? std::vector<uint8_t>(begin, begin + length) : std::vector<uint8_t>()));
    return 0;
  });
}

int PropertyTable::addTable(std::string_view name, std::unique_ptr<PropTable> table) {
  if (!table || !table->valid()) return -1;
  return noThrow([&] {
    PropValue entry;
    entry.type = kPropTable;
    entry.set = true;
    entry.name = std::string(upToNul(name));
    entry.table = std::move(table);
    entries_.push_back(std::move(entry));
    return 0;
  });
}

const PropValue* PropertyTable::findValue(std::string_view name) const {
  return firstValueNamed(entries_, name, [](const PropValue& entry) { return &entry; });
}

int PropertyTable::getValue(std::string_view name, void* dest, std::size_t capacity) const {
  return copyValueOf(findValue(name), dest, capacity);
}

int PropertyTable::copyCell(const PropValue& cell, void* dest, std::size_t capacity) {
  return copyCellData(cell.type, cell.flag, cell.data, dest, capacity);
}

int PropertyTable::getCell(std::string_view table, std::string_view column, int32_t row,
                           void* dest, std::size_t capacity) const {
  for (const PropValue& entry : entries_) {
    if (entry.name != table || entry.type != kPropTable || !entry.table) continue;
    const PropTable& grid = *entry.table;
    if (row < 0 || row >= grid.rows()) continue;
    for (int32_t c = 0; c < grid.columns(); ++c) {
      const PropValue* cell = grid.cell(row, c);
      if (!cell->set || cell->name != column) continue;
      return copyCell(*cell, dest, capacity);
    }
  }
  return -1;
}

int PropertyTable::getCell(std::string_view table, std::string_view column, int32_t row,
                           int32_t& out) const {
  return getCell(table, column, row, &out, sizeof out);
}

std::optional<std::vector<uint8_t>> PropertyTable::serialise() const {
  int64_t total = kHeaderSize;
  for (const PropValue& entry : entries_) {
    std::optional<int64_t> length = recordLength(entry);
    if (!length) return std::nullopt;
    total += *length;
    if (total > kMaxLength) return std::nullopt;
  }
  try {
    std::vector<uint8_t> out(static_cast<std::size_t>(total));
    uint8_t* p = out.data();
    writeI32(p, 1);
    writeI32(p + 4, static_cast<int64_t>(entries_.size()));
    writeI32(p + 8, total - kHeaderSize);
    p += kHeaderSize;
    for (const PropValue& entry : entries_) writeValue(p, entry);
    return out;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::unique_ptr<PropertyTable> PropertyTable::parse(const uint8_t* bytes, std::size_t length) {
  try {
    std::optional<PropertyView> view = PropertyView::parse(bytes, length);
    if (!view) return nullptr;
    auto result = std::make_unique<PropertyTable>();
    result->entries_.reserve(view->entries().size());
    for (const PropertyView::Entry& e : view->entries()) {
      if (e.table) {
        if (result->addTable(e.value.name, buildTable(*e.table)) != 0) return nullptr;
        continue;
      }
      result->entries_.push_back(makeEntry(
          e.value.type, e.value.flag, e.value.name,
          e.value.type == kPropTextList ? normaliseTextList(e.value.data.data(), e.value.data.size())
                                        : std::vector<uint8_t>(e.value.data.begin(), e.value.data.end())));
    }
    return result;
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (const std::length_error&) {
    return nullptr;
  }
}

// --- Views ------------------------------------------------------------------

std::optional<PropTableView> PropTableView::parse(const uint8_t* bytes, int64_t length, int depth) {
  if (depth > kMaxNesting || length < kHeaderSize) return std::nullopt;
  int32_t rows = readI32(bytes);
  int32_t columns = readI32(bytes + 4);
  int32_t payload = readI32(bytes + 8);
  if (int64_t{payload} + kHeaderSize != length || rows < 0 || columns < 0) return std::nullopt;
  // Refuse a grid whose cells could not fit in the bytes before allocating it.
  int64_t cellCount = int64_t{rows} * int64_t{columns};
  if (cellCount > (length - kHeaderSize) / kValueHeaderSize) return std::nullopt;

  PropTableView view;
  view.rows_ = rows;
  view.columns_ = columns;
  view.bytes_ = bytes;
  view.length_ = length;
  view.offsets_.reserve(static_cast<std::size_t>(cellCount));
  int64_t p = kHeaderSize;
  for (int64_t i = 0; i < cellCount; ++i) {
    std::optional<RecordView> record = readRecord(bytes, length, p);
    if (!record) return std::nullopt;
    switch (record->type) {
      case kPropInteger:
      case kPropValue8:
      case kPropBinary:
      case kPropText:
        break;
      case kPropTable: {
        std::optional<PropTableView> nested = parse(record->data, record->dataLength, depth + 1);
        if (!nested) return std::nullopt;
        view.nested_.emplace_back(static_cast<uint32_t>(i), std::move(*nested));
        break;
      }
      default:
        // Text lists and unknown codes leave the cell unset, and a table with
        // an unset cell can never be stored: stop here.
        return std::nullopt;
    }
    view.offsets_.push_back(static_cast<uint32_t>(p));
    p = record->end;
  }
  // Bytes after the last cell are not looked at.
  return view;
}

PropCellView PropTableView::cell(int32_t row, int32_t column) const {
  const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                            static_cast<std::size_t>(column);
  // Checked when the view was made.
  return cellOf(*readRecord(bytes_, length_, offsets_[index]));
}

const PropTableView* PropTableView::nested(int32_t row, int32_t column) const {
  const auto index = static_cast<uint32_t>(int64_t{row} * columns_ + column);
  auto it = std::lower_bound(nested_.begin(), nested_.end(), index,
                             [](const auto& entry, uint32_t i) { return entry.first < i; });
  return it != nested_.end() && it->first == index ? &it->second : nullptr;
}

std::optional<PropertyView> PropertyView::parse(const uint8_t* bytes, std::size_t length) {
  if (!bytes || length < static_cast<std::size_t>(kHeaderSize)) return std::nullopt;
  int32_t count = readI32(bytes + 4);
  int32_t payload = readI32(bytes + 8);
  if (int64_t{payload} < 0 || static_cast<uint64_t>(int64_t{payload} + kHeaderSize) != length ||
      count < 0) {
    return std::nullopt;
  }
  const int64_t total = static_cast<int64_t>(length);

  try {
    PropertyView result;
    int64_t p = kHeaderSize;
    for (int32_t i = 0; i < count; ++i) {
      std::optional<RecordView> record = readRecord(bytes, total, p);
      if (!record) return std::nullopt;
      const std::size_t d = static_cast<std::size_t>(record->dataLength);
      Entry entry{cellOf(*record), std::nullopt};
      switch (record->type) {
        case kPropInteger:
          if (record->flag == 0 && d != 4) return std::nullopt;
          break;
        case kPropValue8:
          if (record->flag == 0 && d != 8) return std::nullopt;
          break;
        case kPropText:
        case kPropTextList:
        case kPropBinary:
          break;
        case kPropTable:
          entry.table = PropTableView::parse(record->data, record->dataLength, 1);
          if (!entry.table) return std::nullopt;
          break;
        default:
          return std::nullopt;
      }
      result.entries_.push_back(std::move(entry));
      p = record->end;
    }
    if (p != total) return std::nullopt;
    return result;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

const PropCellView* PropertyView::findValue(std::string_view name) const {
  return firstValueNamed(entries_, name, [](const Entry& entry) { return &entry.value; });
}

int PropertyView::getValue(std::string_view name, void* dest, std::size_t capacity) const {
  return copyValueOf(findValue(name), dest, capacity);
}

int PropertyView::copyCell(const PropCellView& cell, void* dest, std::size_t capacity) {
  return copyCellData(cell.type, cell.flag, cell.data, dest, capacity);
}

}  // namespace larkspur::core
