#pragma once
// The Property table: an ordered list of named, typed values (integers, texts,
// binary blocks and tables of cells) with an exact byte format. It is the
// content of the project file and of the settings blob.
//
// Operations return 0 on success and a negative value on failure; nothing
// throws. Parsing never reads outside the given buffer and a failed parse
// leaves nothing behind.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur::core {

enum PropType : uint8_t {
  kPropInteger = 1,
  kPropText = 2,
  kPropTextList = 3,
  kPropValue8 = 4,
  kPropTable = 5,
  kPropBinary = 6,
};

class PropTable;
class PropTableView;

// One named value: an entry of a Property table or a cell of a table.
struct PropValue {
  uint8_t type = 0;  // 0 = unset cell
  uint8_t flag = 0;
  bool set = false;
  std::string name;
  // Every type but kPropTable. A kPropTextList value holds the list in its
  // byte format, normalised when parsed: each item's text, its number + 1 and a
  // zero byte, then one closing zero byte (an empty list is two zero bytes).
  std::vector<uint8_t> data;
  std::unique_ptr<PropTable> table;  // kPropTable only

  // Length of the value in the byte format (for a table, its serialised size).
  int32_t dataLength() const;
};

// A grid of rows x columns of cells; cells start unset.
class PropTable {
 public:
  PropTable(int32_t rows, int32_t columns);

  int32_t rows() const { return rows_; }
  int32_t columns() const { return columns_; }

  // Setting a cell outside the grid grows it (rows at the end, columns at the
  // right); new cells are unset. A negative row or column fails.
  int setInteger(int32_t row, int32_t column, int32_t value, std::string_view name);
  // An absent text (nullptr) stores an empty text.
  int setText(int32_t row, int32_t column, const char* text, std::string_view name,
              uint8_t flag = 0);
  int setText(int32_t row, int32_t column, std::string_view text, std::string_view name,
              uint8_t flag = 0);
  // Refused (negative) when the nested table is absent or not valid.
  int setTable(int32_t row, int32_t column, std::unique_ptr<PropTable> nested,
               std::string_view name);
  // Stores a cell as parsed: type 1, 2, 4 or 6 with its raw bytes and flag.
  // Other types are refused, so that every table written can be read back.
  int setRaw(int32_t row, int32_t column, uint8_t type, uint8_t flag, std::string_view name,
             std::vector<uint8_t> data);

  const PropValue* cell(int32_t row, int32_t column) const;

  // Every cell set and every nested table valid.
  bool valid() const;
  // Serialised length, or nullopt when the table is not valid.
  std::optional<int64_t> serialisedLength() const;

 private:
  PropValue* mutableCell(int32_t row, int32_t column);  // grows the grid
  int32_t rows_;
  int32_t columns_;
  std::vector<PropValue> cells_;  // row-major
};

class PropertyTable {
 public:
  int addInteger(std::string_view name, int32_t value, uint8_t flag = 0);
  // An absent text (nullptr) adds an empty text; the data stop at the first NUL.
  int addText(std::string_view name, const char* text, uint8_t flag = 0);
  int addText(std::string_view name, std::string_view text, uint8_t flag = 0);
  // Absent bytes give length 0.
  int addBinary(std::string_view name, const void* bytes, std::size_t length, uint8_t flag = 0);
  // Takes the table; refused when it is absent or not valid. Table entries and
  // cells carry flag 0.
  int addTable(std::string_view name, std::unique_ptr<PropTable> table);

  // The first entry with exactly this name whose type is 1, 2, 4 or 6.
  const PropValue* findValue(std::string_view name) const;
  // Copies the value of findValue(name) into dest (at most capacity bytes):
  // types 1 and 4 copy 4 bytes, type 2 the text with its terminator (cut at the
  // capacity, terminator kept), type 6 its bytes. Returns 0, or -1 when not
  // found (dest untouched). Integer data shorter than 4 bytes (possible with a
  // non-zero flag) are zero-padded, never read past.
  int getValue(std::string_view name, void* dest, std::size_t capacity) const;
  int getValue(std::string_view name, int32_t& out) const { return getValue(name, &out, sizeof out); }
  template <std::size_t N>
  int getValue(std::string_view name, char (&text)[N]) const {
    return getValue(name, text, N);
  }

  // In the first entry named `table` (then later entries of that name), row
  // `row`, the first cell named `column`: type 1 copies 4 bytes, type 2 the
  // text with terminator unless its flag is non-zero, type 6 its bytes.
  // Returns 0, or -1 when nothing was found or copied.
  int getCell(std::string_view table, std::string_view column, int32_t row, void* dest,
              std::size_t capacity) const;
  int getCell(std::string_view table, std::string_view column, int32_t row,
              int32_t& out) const;
  template <std::size_t N>
  int getCell(std::string_view table, std::string_view column, int32_t row,
              char (&text)[N]) const {
    return getCell(table, column, row, text, N);
  }

  // What getCell copies out of one cell: type 1 its 4 bytes, type 2 the text
  // with terminator unless its flag is non-zero, type 6 its bytes. Returns 0,
  // or -1 when the cell's type or flag gives nothing to copy.
  static int copyCell(const PropValue& cell, void* dest, std::size_t capacity);

  const std::vector<PropValue>& entries() const { return entries_; }

  // The byte format; nullopt when a table is not valid.
  std::optional<std::vector<uint8_t>> serialise() const;
  // A new Property table, or nullptr when the bytes do not parse. Names and
  // flag-0 texts end at their first zero byte; tables nested more than 64
  // deep are refused.
  static std::unique_ptr<PropertyTable> parse(const uint8_t* bytes, std::size_t length);

 private:
  std::vector<PropValue> entries_;
};

// --- Read-only views -------------------------------------------------------
// The bytes of a Property table read in place: PropertyView::parse accepts
// exactly what PropertyTable::parse accepts, and copies nothing but the place
// of each cell. The views refer to the bytes, which must outlive them.

// One entry or cell as parse() would store it: names and flag-0 texts end at
// their first zero byte; a text list's data are its bytes as they stand.
struct PropCellView {
  uint8_t type = 0;
  uint8_t flag = 0;
  std::string_view name;
  std::span<const uint8_t> data;
};

class PropTableView {
 public:
  int32_t rows() const { return rows_; }
  int32_t columns() const { return columns_; }
  // A cell inside the grid (every cell of a parsed table is set).
  PropCellView cell(int32_t row, int32_t column) const;
  // The table a kPropTable cell holds, or nullptr.
  const PropTableView* nested(int32_t row, int32_t column) const;

  // Checks the bytes of a table as the parser does; nullopt when they do not parse.
  static std::optional<PropTableView> parse(const uint8_t* bytes, int64_t length, int depth);

 private:
  int32_t rows_ = 0;
  int32_t columns_ = 0;
  const uint8_t* bytes_ = nullptr;
  int64_t length_ = 0;
  std::vector<uint32_t> offsets_;  // where each cell starts, row-major
  std::vector<std::pair<uint32_t, PropTableView>> nested_;  // by cell index, ascending
};

class PropertyView {
 public:
  struct Entry {
    PropCellView value;
    std::optional<PropTableView> table;  // kPropTable entries
  };

  static std::optional<PropertyView> parse(const uint8_t* bytes, std::size_t length);

  const std::vector<Entry>& entries() const { return entries_; }
  // As PropertyTable::findValue and getValue.
  const PropCellView* findValue(std::string_view name) const;
  int getValue(std::string_view name, void* dest, std::size_t capacity) const;
  int getValue(std::string_view name, int32_t& out) const { return getValue(name, &out, sizeof out); }
  // As PropertyTable::copyCell.
  static int copyCell(const PropCellView& cell, void* dest, std::size_t capacity);

 private:
  std::vector<Entry> entries_;
};

}  // namespace larkspur::core
