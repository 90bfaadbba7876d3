#pragma once
// The targets text format: one target per line, ten TAB-separated fields in
// record order (name, country, submit_url, submit_hint, success_keyword,
// already_keyword, reserved, field_map, rank, submit_type). Lines starting
// with '#' and empty lines are ignored; trailing empty fields may be left out.
// The built-in table is kept in this format (data/engines.tsv) and users may
// keep target lists of their own in it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_record.h"

namespace larkspur::core {

// One of the eight text fields of a line: its name (in error messages), its
// capacity in bytes with the terminator (a longer text is refused), and where
// it is in a record.
struct TargetTextField {
  const char* name;
  std::size_t capacity;
  std::string_view (*get)(const EngineRecord& record);
  void (*set)(EngineRecord& record, std::string_view text);
};

// The text fields in line order; rank and submit_type follow them.
std::span<const TargetTextField> targetTextFields();

struct TargetsText {
  std::vector<EngineRecord> records;  // zeroed runtime fields
  std::string error;                  // "FILE:LINE: reason" when parsing failed
  bool ok() const { return error.empty(); }
};

// Parses the text; `sourceName` names the file in error messages. A field
// longer than its record capacity, a rank or type that is not a decimal
// number, or a line with more than ten fields makes the whole parse fail.
TargetsText parseTargetsText(std::string_view text, std::string_view sourceName);

// Target lists larger than this are not read.
inline constexpr std::uintmax_t kMaxTargetsFileBytes = 64u * 1024 * 1024;

// Reads and parses a file ("FILE: cannot be read" when it cannot be opened;
// a folder, pipe or device, or a file over kMaxTargetsFileBytes, is refused).
TargetsText readTargetsFile(const std::string& path);

// One line of the format for a record (no line end), the inverse of parsing.
std::string formatTargetLine(const EngineRecord& record);

}  // namespace larkspur::core
