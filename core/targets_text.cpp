#include "core/targets_text.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/fixed_text.h"

namespace larkspur::core {

namespace {

#define LARKSPUR_TARGET_FIELD(member)                                                       \
  {#member, decltype(EngineRecord::member)::kCapacity,                                      \
   [](const EngineRecord& r) -> std::string_view { return r.member; },                     \
   [](EngineRecord& r, std::string_view text) { r.member = text; }}

// The eight text fields in line order; rank and type follow them.
constexpr TargetTextField kTextFields[] = {
    LARKSPUR_TARGET_FIELD(name),           LARKSPUR_TARGET_FIELD(country),
    LARKSPUR_TARGET_FIELD(submit_url),     LARKSPUR_TARGET_FIELD(submit_hint),
    LARKSPUR_TARGET_FIELD(success_keyword), LARKSPUR_TARGET_FIELD(already_keyword),
    LARKSPUR_TARGET_FIELD(reserved),       LARKSPUR_TARGET_FIELD(field_map),
};
#undef LARKSPUR_TARGET_FIELD
constexpr std::size_t kFieldCount = 10;

bool parseDecimal(std::string_view text, int32_t& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && ptr == last;
}

std::string where(std::string_view source, std::size_t line) {
  return std::string(source) + ":" + std::to_string(line) + ": ";
}

}  // namespace

std::span<const TargetTextField> targetTextFields() { return kTextFields; }

TargetsText parseTargetsText(std::string_view text, std::string_view sourceName) {
  TargetsText result;
  std::size_t lineNo = 0;
  std::size_t pos = 0;
  // Editors on some systems start UTF-8 files with a byte order mark; left in
  // place it would turn a leading comment into a bogus target.
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) pos = kUtf8Bom.size();
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
      std::size_t tab = line.find('\t', start);
      if (tab == std::string_view::npos) {
        fields.push_back(line.substr(start));
        break;
      }
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    if (fields.size() > kFieldCount) {
      result.error = where(sourceName, lineNo) + "more than ten fields";
      result.records.clear();
      return result;
    }

    EngineRecord record;
    for (std::size_t i = 0; i < fields.size() && i < std::size(kTextFields); ++i) {
      const TargetTextField& f = kTextFields[i];
      if (fields[i].size() >= f.capacity) {
        result.error = where(sourceName, lineNo) + f.name + " is longer than " +
                       std::to_string(f.capacity - 1) + " bytes";
        result.records.clear();
        return result;
      }
      if (fields[i].find('\0') != std::string_view::npos) {
        result.error = where(sourceName, lineNo) + f.name + " contains a NUL byte";
        result.records.clear();
        return result;
      }
      f.set(record, fields[i]);
    }
    if (record.name.empty()) {
      result.error = where(sourceName, lineNo) + "the name is empty";
      result.records.clear();
      return result;
    }
    if (fields.size() > 8 && !fields[8].empty() && !parseDecimal(fields[8], record.rank)) {
      result.error = where(sourceName, lineNo) + "rank is not a number";
      result.records.clear();
      return result;
    }
    if (fields.size() > 9 && !fields[9].empty() && !parseDecimal(fields[9], record.submit_type)) {
      result.error = where(sourceName, lineNo) + "submit_type is not a number";
      result.records.clear();
      return result;
    }
    result.records.push_back(record);
  }
  return result;
}

TargetsText readTargetsFile(const std::string& path) {
  TargetsText result;
  std::error_code ec;
  // A folder, pipe or device is no list (and reading a pipe could wait for
  // ever); a file larger than any list of targets is not read.
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    result.error = path + ": cannot be read (" + (ec ? ec.message() : std::string("no such file")) + ")";
    return result;
  }
  if (!std::filesystem::is_regular_file(status)) {
    result.error = path + ": not a file but " +
                   (std::filesystem::is_directory(status) ? "a folder" : "a pipe, device or socket");
    return result;
  }
  if (std::filesystem::file_size(path, ec) > kMaxTargetsFileBytes) {
    result.error = path + ": too large for a target list";
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.error = path + ": cannot be read";
    return result;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return parseTargetsText(buffer.str(), path);
}

std::string formatTargetLine(const EngineRecord& record) {
  std::string line;
  for (const TargetTextField& f : kTextFields) {
    // A TAB or line feed inside a text would split the field or the line; such
    // characters cannot come from this format, so they are written as blanks.
    for (char c : f.get(record)) {
      line += (c == '\t' || c == '\n') ? ' ' : c;
    }
    line += '\t';
  }
  line += std::to_string(record.rank);
  line += '\t';
  line += std::to_string(record.submit_type);
  return line;
}

}  // namespace larkspur::core
