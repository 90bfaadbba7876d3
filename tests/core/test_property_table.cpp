#include "core/property_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace larkspur::core {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

// Builds byte-format buffers by hand, independently of the serialiser.
struct Buf {
  Bytes b;
  Buf& u8(int v) {
    b.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Buf& i32(int64_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  Buf& str(std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Buf& raw(const Bytes& bytes) {
    b.insert(b.end(), bytes.begin(), bytes.end());
    return *this;
  }
};

Bytes record(int type, int flag, std::string_view name, const Bytes& data) {
  return Buf().u8(type).u8(flag).i32(static_cast<int64_t>(name.size()))
      .i32(static_cast<int64_t>(data.size())).str(name).raw(data).b;
}

Bytes join(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes tableBytes(int32_t rows, int32_t columns, const std::vector<Bytes>& cells) {
  Bytes body = join(cells);
  return Buf().i32(rows).i32(columns).i32(static_cast<int64_t>(body.size())).raw(body).b;
}

Bytes fileBytes(int64_t count, const std::vector<Bytes>& entries) {
  Bytes body = join(entries);
  return Buf().i32(1).i32(count).i32(static_cast<int64_t>(body.size())).raw(body).b;
}

Bytes fileBytes(const std::vector<Bytes>& entries) {
  return fileBytes(static_cast<int64_t>(entries.size()), entries);
}

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes int32Bytes(int32_t v) { return Buf().i32(v).b; }

std::unique_ptr<PropertyTable> parse(const Bytes& bytes) {
  return PropertyTable::parse(bytes.data(), bytes.size());
}

Bytes serialise(const PropertyTable& table) {
  std::optional<Bytes> out = table.serialise();
  EXPECT_TRUE(out.has_value());
  return out.value_or(Bytes{});
}

// --- byte format ------------------------------------------------------------

TEST(PropertyTableFormat, WorkedExampleIsBitExact) {
  PropertyTable table;
  ASSERT_EQ(table.addInteger("rank", 7), 0);
  const Bytes expected = {0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x12, 0x00,
                          0x00, 0x00, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x00,
                          0x00, 0x00, 0x72, 0x61, 0x6E, 0x6B, 0x07, 0x00, 0x00, 0x00};
  EXPECT_EQ(serialise(table), expected);

  auto back = parse(expected);
  ASSERT_TRUE(back);
  int32_t rank = 0;
  EXPECT_EQ(back->getValue("rank", rank), 0);
  EXPECT_EQ(rank, 7);
}

TEST(PropertyTableFormat, EmptyTableIsTwelveBytes) {
  PropertyTable table;
  const Bytes expected = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(serialise(table), expected);
  auto back = parse(expected);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->entries().empty());
}

TEST(PropertyTableFormat, EveryTypeMatchesTheHandBuiltLayout) {
  auto grid = std::make_unique<PropTable>(2, 2);
  ASSERT_EQ(grid->setInteger(0, 0, -2, "n"), 0);
  ASSERT_EQ(grid->setText(0, 1, "ab", "s"), 0);
  ASSERT_EQ(grid->setInteger(1, 0, 300, "n"), 0);
  auto inner = std::make_unique<PropTable>(0, 3);
  ASSERT_EQ(grid->setTable(1, 1, std::move(inner), "s"), 0);

  PropertyTable table;
  ASSERT_EQ(table.addInteger("i", 0x01020304), 0);
  ASSERT_EQ(table.addText("t", "hello"), 0);
  ASSERT_EQ(table.addText("e", nullptr), 0);
  const uint8_t blob[] = {0, 0xFF, 7};
  ASSERT_EQ(table.addBinary("b", blob, sizeof blob, 3), 0);
  ASSERT_EQ(table.addTable("g", std::move(grid)), 0);

  const Bytes expected = fileBytes({
      record(1, 0, "i", {4, 3, 2, 1}),
      record(2, 0, "t", text("hello")),
      record(2, 0, "e", {}),
      record(6, 3, "b", {0, 0xFF, 7}),
      record(5, 0, "g",
             tableBytes(2, 2,
                        {record(1, 0, "n", int32Bytes(-2)), record(2, 0, "s", text("ab")),
                         record(1, 0, "n", int32Bytes(300)),
                         record(5, 0, "s", tableBytes(0, 3, {}))})),
  });
  EXPECT_EQ(serialise(table), expected);
}

// Buffers in the exact form the serialiser writes must come back byte for byte.
TEST(PropertyTableFormat, CanonicalBuffersRoundTrip) {
  const Bytes nested = tableBytes(1, 2, {record(1, 0, "x", int32Bytes(5)),
                                         record(6, 9, "y", {1, 2, 3})});
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"integer", fileBytes({record(1, 0, "a", int32Bytes(-1))})},
      {"integer with flag, odd length", fileBytes({record(1, 4, "a", {1, 2, 3})})},
      {"text", fileBytes({record(2, 0, "a", text("x y"))})},
      {"text with flag keeps zero bytes", fileBytes({record(2, 1, "a", {'a', 0, 'b'})})},
      {"text list", fileBytes({record(3, 0, "l", {'a', 'b', 2, 0, 'c', 5, 0, 0})})},
      {"empty text list", fileBytes({record(3, 0, "l", {0, 0})})},
      {"8-byte value", fileBytes({record(4, 0, "v", {1, 2, 3, 4, 5, 6, 7, 8})})},
      {"8-byte value with flag", fileBytes({record(4, 2, "v", {1})})},
      {"binary", fileBytes({record(6, 0, "b", {0, 0, 0})})},
      {"empty name", fileBytes({record(6, 0, "", {})})},
      {"zero-row table", fileBytes({record(5, 0, "t", tableBytes(0, 7, {}))})},
      {"zero-column table", fileBytes({record(5, 0, "t", tableBytes(4, 0, {}))})},
      {"cell types",
       fileBytes({record(5, 0, "t",
                         tableBytes(1, 5,
                                    {record(1, 0, "a", {1, 2}), record(2, 0, "b", text("q")),
                                     record(2, 7, "c", {0, 1}), record(4, 0, "d", {1}),
                                     record(6, 0, "e", {})}))})},
      {"nested tables",
       fileBytes({record(5, 0, "t",
                         tableBytes(1, 1, {record(5, 0, "n",
                                                  tableBytes(1, 1, {record(5, 0, "m", nested)}))}))})},
      {"several entries", fileBytes({record(1, 0, "a", int32Bytes(1)), record(2, 0, "a", {}),
                                     record(5, 0, "t", nested)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto parsed = parse(c.bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(serialise(*parsed), c.bytes);
  }
}

TEST(PropertyTableFormat, ZeroRowTableKeepsItsColumns) {
  PropertyTable table;
  ASSERT_EQ(table.addTable("t", std::make_unique<PropTable>(0, 4)), 0);
  const Bytes bytes = serialise(table);
  EXPECT_EQ(bytes, fileBytes({record(5, 0, "t", Buf().i32(0).i32(4).i32(0).b)}));
  auto back = parse(bytes);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->entries().size(), 1u);
  const PropTable& grid = *back->entries()[0].table;
  EXPECT_EQ(grid.rows(), 0);
  EXPECT_EQ(grid.columns(), 4);
}

// --- parse normalisation ----------------------------------------------------

TEST(PropertyTableParse, TextWithZeroByteReadsBackShortened) {
  auto parsed = parse(fileBytes({record(2, 0, "t", {'a', 'b', 0, 'c', 'd'})}));
  ASSERT_TRUE(parsed);
  char out[8];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(parsed->getValue("t", out), 0);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(serialise(*parsed), fileBytes({record(2, 0, "t", text("ab"))}));
}

TEST(PropertyTableParse, TextListsAreNormalised) {
  const struct {
    const char* what;
    Bytes data;
    Bytes stored;
  } cases[] = {
      {"no bytes", {}, {0, 0}},
      {"two bytes are an empty list", {'x', 0}, {0, 0}},
      {"bytes after the list end are dropped", {'a', 2, 0, 0, 'j', 'u', 'n', 'k'}, {'a', 2, 0, 0}},
      {"unterminated last item is kept", {'a', 'b', 'c'}, {'a', 'b', 'c', 0, 0}},
      {"missing closing zero is added", {'a', 2, 0, 'b', 3, 0}, {'a', 2, 0, 'b', 3, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto parsed = parse(fileBytes({record(3, 0, "l", c.data)}));
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->entries().size(), 1u);
    EXPECT_EQ(parsed->entries()[0].data, c.stored);
    EXPECT_EQ(parsed->findValue("l"), nullptr);  // text lists are not values
  }
}

TEST(PropertyTableParse, TrailingBytesInsideATableAreIgnored) {
  Bytes grid = tableBytes(1, 1, {record(1, 0, "c", int32Bytes(9))});
  Bytes padded = grid;
  padded.push_back(0xEE);
  padded[8] = static_cast<uint8_t>(padded[8] + 1);  // payload length covers the extra byte
  auto parsed = parse(fileBytes({record(5, 0, "t", padded)}));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(serialise(*parsed), fileBytes({record(5, 0, "t", grid)}));
}

TEST(PropertyTableParse, NameEndsAtItsFirstZeroByte) {
  auto parsed = parse(fileBytes({record(1, 0, std::string_view("ab\0c", 4), int32Bytes(3))}));
  ASSERT_TRUE(parsed);
  int32_t v = 0;
  EXPECT_EQ(parsed->getValue("ab", v), 0);
  EXPECT_EQ(v, 3);
}

// --- refused buffers --------------------------------------------------------

TEST(PropertyTableParse, RefusesMalformedBuffers) {
  const Bytes one = record(1, 0, "a", int32Bytes(1));
  Bytes longer = fileBytes({one});
  longer.push_back(0);
  Bytes shorter = fileBytes({one});
  shorter.pop_back();
  Bytes lengthPlusOne = fileBytes({one});
  lengthPlusOne[8] = static_cast<uint8_t>(lengthPlusOne[8] + 1);

  auto header = [](int type, int flag, int64_t n, int64_t d) {
    return Buf().u8(type).u8(flag).i32(n).i32(d).b;
  };
  auto deep = [](int levels) {
    Bytes inner = tableBytes(0, 0, {});
    for (int i = 1; i < levels; ++i) inner = tableBytes(1, 1, {record(5, 0, "n", inner)});
    return fileBytes({record(5, 0, "t", inner)});
  };

  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"shorter than a header", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"one byte longer than its payload length", longer},
      {"one byte shorter than its payload length", shorter},
      {"payload length one too large", lengthPlusOne},
      {"N too small", fileBytes(1, {one, one})},
      {"N too large", fileBytes(3, {one, one})},
      {"N negative", fileBytes(-1, {})},
      {"payload length negative", Buf().i32(1).i32(0).i32(-12).b},
      {"entry header cut off", fileBytes(1, {Bytes{1, 0, 1, 0, 0}})},
      {"name length negative", fileBytes({join({header(6, 0, -1, 0), Bytes(4)})})},
      {"data length negative", fileBytes({join({header(6, 0, 0, -4), Bytes(4)})})},
      {"name length INT32_MAX", fileBytes({join({header(6, 0, kMax32, 0), Bytes(4)})})},
      {"data length INT32_MAX", fileBytes({join({header(6, 0, 0, kMax32), Bytes(4)})})},
      {"both lengths INT32_MAX", fileBytes({join({header(6, 0, kMax32, kMax32), Bytes(4)})})},
      {"integer with flag 0 and 3 bytes", fileBytes({record(1, 0, "a", {1, 2, 3})})},
      {"integer with flag 0 and 5 bytes", fileBytes({record(1, 0, "a", {1, 2, 3, 4, 5})})},
      {"8-byte value with flag 0 and 7 bytes", fileBytes({record(4, 0, "v", Bytes(7))})},
      {"type code 0", fileBytes({record(0, 0, "a", {})})},
      {"type code 7", fileBytes({record(7, 0, "a", {})})},
      {"type code 255", fileBytes({record(255, 0, "a", {})})},
      {"table shorter than its header", fileBytes({record(5, 0, "t", {0, 0, 0, 0})})},
      {"table payload length wrong",
       fileBytes({record(5, 0, "t", Buf().i32(0).i32(0).i32(1).u8(0).u8(0).b)})},
      {"table rows negative", fileBytes({record(5, 0, "t", tableBytes(-1, 0, {}))})},
      {"table columns negative", fileBytes({record(5, 0, "t", tableBytes(0, -1, {}))})},
      {"table with fewer cells than R x C",
       fileBytes({record(5, 0, "t", tableBytes(1, 2, {record(6, 0, "c", Bytes(14))}))})},
      {"table cell running past the table",
       fileBytes({record(5, 0, "t", tableBytes(1, 1, {header(1, 0, 0, 4)}))})},
      {"table cell with negative length",
       fileBytes({record(5, 0, "t", tableBytes(1, 1, {join({header(6, 0, 0, -1), Bytes(4)})}))})},
      {"table with a text-list cell (unset)",
       fileBytes({record(5, 0, "t", tableBytes(1, 1, {record(3, 0, "c", {0, 0})}))})},
      {"table with an unknown cell code",
       fileBytes({record(5, 0, "t", tableBytes(1, 1, {record(9, 0, "c", {})}))})},
      {"nested table that does not parse",
       fileBytes({record(5, 0, "t", tableBytes(1, 1, {record(5, 0, "n", tableBytes(-3, 1, {}))}))})},
      {"huge R x C in a small table",
       fileBytes({record(5, 0, "t", Buf().i32(kMax32).i32(kMax32).i32(10).raw(header(6, 0, 0, 0)).b)})},
      {"R x C one cell more than the bytes hold",
       fileBytes({record(5, 0, "t", Buf().i32(1).i32(2).i32(10).raw(header(6, 0, 0, 0)).b)})},
      {"tables nested 65 deep", deep(65)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(parse(c.bytes), nullptr);
  }
  EXPECT_TRUE(parse(deep(64)));  // the deepest nesting still read
  EXPECT_EQ(PropertyTable::parse(nullptr, 12), nullptr);
}

TEST(PropertyTableParse, HugeGridIsRefusedWithoutAllocating) {
  // 2^31-1 squared cells would need exabytes; the refusal must be immediate.
  Bytes bytes = fileBytes(
      {record(5, 0, "t", Buf().i32(kMax32).i32(kMax32).i32(0).b)});
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(parse(bytes), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // A grid without cells may have any shape, and handling it costs nothing.
  for (auto [rows, columns] : {std::pair{0, kMax32}, std::pair{kMax32, 0}}) {
    SCOPED_TRACE(rows);
    const Bytes empty = fileBytes({record(5, 0, "t", tableBytes(rows, columns, {}))});
    start = std::chrono::steady_clock::now();
    auto parsed = parse(empty);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->entries()[0].table->rows(), rows);
    EXPECT_EQ(parsed->entries()[0].table->columns(), columns);
    EXPECT_EQ(serialise(*parsed), empty);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

// --- validity ---------------------------------------------------------------

TEST(PropTableValidity, UnsetCellIsRefusedForAddAndSerialise) {
  auto grid = std::make_unique<PropTable>(1, 2);
  ASSERT_EQ(grid->setInteger(0, 0, 1, "a"), 0);
  EXPECT_FALSE(grid->valid());
  EXPECT_FALSE(grid->serialisedLength().has_value());

  auto holder = std::make_unique<PropTable>(1, 1);
  auto unsetInner = std::make_unique<PropTable>(1, 1);
  EXPECT_LT(holder->setTable(0, 0, std::move(unsetInner), "n"), 0);
  EXPECT_FALSE(holder->cell(0, 0)->set);

  PropertyTable table;
  EXPECT_LT(table.addTable("t", std::move(grid)), 0);
  EXPECT_LT(table.addTable("t", nullptr), 0);
  EXPECT_TRUE(table.entries().empty());
  EXPECT_EQ(serialise(table), fileBytes({}));
}

TEST(PropTableValidity, SetRawRefusesTypesThatCannotBeReadBack) {
  PropTable grid(1, 1);
  for (uint8_t type : {0, 3, 5, 7}) {
    SCOPED_TRACE(static_cast<int>(type));
    EXPECT_LT(grid.setRaw(0, 0, type, 0, "c", {0, 0}), 0);
  }
  EXPECT_EQ(grid.setRaw(0, 0, kPropValue8, 1, "c", {1}), 0);
  EXPECT_TRUE(grid.valid());
}

TEST(PropTableGrid, SettingOutsideTheGridGrowsIt) {
  PropTable grid(1, 1);
  ASSERT_EQ(grid.setInteger(0, 0, 11, "a"), 0);
  ASSERT_EQ(grid.setText(2, 3, "z", "d"), 0);
  EXPECT_EQ(grid.rows(), 3);
  EXPECT_EQ(grid.columns(), 4);
  ASSERT_NE(grid.cell(0, 0), nullptr);
  EXPECT_EQ(grid.cell(0, 0)->name, "a");
  EXPECT_EQ(grid.cell(0, 0)->data, int32Bytes(11));
  EXPECT_FALSE(grid.cell(0, 3)->set);
  EXPECT_FALSE(grid.cell(2, 0)->set);
  EXPECT_EQ(grid.cell(2, 3)->data, text("z"));
  EXPECT_EQ(grid.cell(3, 0), nullptr);
  EXPECT_FALSE(grid.valid());

  EXPECT_LT(grid.setInteger(-1, 0, 1, "a"), 0);
  EXPECT_LT(grid.setInteger(0, -1, 1, "a"), 0);
  EXPECT_LT(grid.setInteger(kMax32, kMax32, 1, "a"), 0);  // can never be written
  EXPECT_EQ(grid.rows(), 3);
}

TEST(PropTableGrid, SettingACellAgainReplacesIt) {
  PropTable grid(1, 1);
  auto inner = std::make_unique<PropTable>(0, 0);
  ASSERT_EQ(grid.setTable(0, 0, std::move(inner), "old"), 0);
  ASSERT_EQ(grid.setText(0, 0, std::string_view("new\0tail", 8), "new", 2), 0);
  const PropValue* cell = grid.cell(0, 0);
  EXPECT_EQ(cell->type, kPropText);
  EXPECT_EQ(cell->flag, 2);
  EXPECT_EQ(cell->name, "new");
  EXPECT_EQ(cell->data, text("new"));
  EXPECT_EQ(cell->table, nullptr);
}

// --- lookups ----------------------------------------------------------------

TEST(PropertyTableLookup, FirstEntryOfANameWins) {
  PropertyTable table;
  ASSERT_EQ(table.addTable("k", std::make_unique<PropTable>(0, 0)), 0);  // not a value
  ASSERT_EQ(table.addInteger("k", 1), 0);
  ASSERT_EQ(table.addInteger("k", 2), 0);
  ASSERT_EQ(table.addInteger("K", 3), 0);
  int32_t v = 0;
  EXPECT_EQ(table.getValue("k", v), 0);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(table.getValue("K", v), 0);
  EXPECT_EQ(v, 3);
}

TEST(PropertyTableLookup, MissingNameLeavesDestinationAlone) {
  PropertyTable table;
  ASSERT_EQ(table.addInteger("a", 1), 0);
  int32_t v = 77;
  EXPECT_LT(table.getValue("b", v), 0);
  EXPECT_LT(table.getValue("", v), 0);
  EXPECT_EQ(v, 77);
}

TEST(PropertyTableLookup, GetValueCopiesEachType) {
  Bytes bytes = fileBytes({
      record(4, 0, "v8", {0x78, 0x56, 0x34, 0x12, 0xAA, 0xBB, 0xCC, 0xDD}),
      record(1, 5, "short", {0x01, 0x02}),
      record(6, 0, "bin", {9, 8, 7, 6, 5}),
      record(2, 1, "flagged", {'h', 'i', 0, 'x'}),
  });
  auto table = parse(bytes);
  ASSERT_TRUE(table);

  int32_t v = 0;
  EXPECT_EQ(table->getValue("v8", v), 0);
  EXPECT_EQ(v, 0x12345678);
  v = -1;
  EXPECT_EQ(table->getValue("short", v), 0);
  EXPECT_EQ(v, 0x0201);  // shorter integer data are zero-padded, never over-read

  uint8_t bin[8];
  std::memset(bin, 0xEE, sizeof bin);
  EXPECT_EQ(table->getValue("bin", bin, 3), 0);
  EXPECT_EQ(Bytes(bin, bin + 4), (Bytes{9, 8, 7, 0xEE}));

  char out[8] = "XXXXXXX";
  EXPECT_EQ(table->getValue("flagged", out), 0);
  EXPECT_STREQ(out, "hi");
}

TEST(PropertyTableLookup, TextIsCutAtCapacityWithoutSplittingCharacters) {
  PropertyTable table;
  ASSERT_EQ(table.addText("t", "h\xC3\xA9llo"), 0);
  const struct {
    std::size_t capacity;
    std::string expected;
  } cases[] = {{1, ""}, {2, "h"}, {3, "h"}, {4, "h\xC3\xA9"}, {7, "h\xC3\xA9llo"}, {10, "h\xC3\xA9llo"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.capacity);
    char out[16];
    std::memset(out, 'X', sizeof out);
    ASSERT_EQ(table.getValue("t", out, c.capacity), 0);
    EXPECT_EQ(std::string(out), c.expected);
    EXPECT_EQ(out[c.capacity], 'X');  // nothing written past the capacity
  }
}

class GetCellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto first = std::make_unique<PropTable>(2, 2);
    ASSERT_EQ(first->setText(0, 0, "alpha", "name"), 0);
    ASSERT_EQ(first->setInteger(0, 1, 10, "state"), 0);
    ASSERT_EQ(first->setText(1, 0, "secret", "name", 1), 0);
    ASSERT_EQ(first->setRaw(1, 1, kPropValue8, 0, "state", Bytes(8, 1)), 0);
    ASSERT_EQ(table_.addTable("rows", std::move(first)), 0);

    auto second = std::make_unique<PropTable>(3, 1);
    ASSERT_EQ(second->setInteger(0, 0, 1, "extra"), 0);
    ASSERT_EQ(second->setInteger(1, 0, 2, "extra"), 0);
    const uint8_t blob[] = {4, 5, 6};
    ASSERT_EQ(second->setRaw(2, 0, kPropBinary, 0, "extra", Bytes(blob, blob + 3)), 0);
    ASSERT_EQ(table_.addTable("rows", std::move(second)), 0);
  }
  PropertyTable table_;
};

TEST_F(GetCellTest, CopiesIntegersAndTexts) {
  char name[16];
  EXPECT_EQ(table_.getCell("rows", "name", 0, name), 0);
  EXPECT_STREQ(name, "alpha");
  int32_t state = 0;
  EXPECT_EQ(table_.getCell("rows", "state", 0, state), 0);
  EXPECT_EQ(state, 10);
}

TEST_F(GetCellTest, SearchesLaterTablesOfTheSameName) {
  int32_t v = 0;
  EXPECT_EQ(table_.getCell("rows", "extra", 1, v), 0);
  EXPECT_EQ(v, 2);
  // Row 2 exists only in the second table.
  uint8_t blob[3] = {};
  EXPECT_EQ(table_.getCell("rows", "extra", 2, blob, sizeof blob), 0);
  EXPECT_EQ(Bytes(blob, blob + 3), (Bytes{4, 5, 6}));
}

TEST_F(GetCellTest, FindsNothingOutsideTheRowsOrForOtherTypes) {
  int32_t v = 55;
  EXPECT_LT(table_.getCell("rows", "extra", 3, v), 0);  // row == row count
  EXPECT_LT(table_.getCell("rows", "name", 2, v), 0);
  EXPECT_LT(table_.getCell("rows", "name", -1, v), 0);
  EXPECT_LT(table_.getCell("rows", "missing", 0, v), 0);
  EXPECT_LT(table_.getCell("other", "name", 0, v), 0);
  EXPECT_LT(table_.getCell("rows", "state", 1, v), 0);  // 8-byte values are not copied
  EXPECT_EQ(v, 55);

  char name[8] = "XXXXXXX";
  EXPECT_LT(table_.getCell("rows", "name", 1, name), 0);  // flagged text copies nothing
  EXPECT_STREQ(name, "XXXXXXX");
}

TEST_F(GetCellTest, SurvivesARoundTrip) {
  Bytes bytes = serialise(table_);
  auto back = parse(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(serialise(*back), bytes);
  char name[16];
  EXPECT_EQ(back->getCell("rows", "name", 0, name), 0);
  EXPECT_STREQ(name, "alpha");
  int32_t v = 0;
  EXPECT_EQ(back->getCell("rows", "extra", 1, v), 0);
  EXPECT_EQ(v, 2);
}

}  // namespace
}  // namespace larkspur::core
