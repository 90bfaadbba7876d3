#include "submit/field_names.h"

#include "core/fixed_text.h"
#include "core/upper_case.h"

namespace larkspur::submit {

namespace {

// How a row of the rename table picks the fields it renames.
enum class FieldMatch {
  kName,        // the field name equals `field` without regard to case
  kImageType,   // any field whose element type is IMAGE
  kAllExcept,   // any field whose name is none of `except`
};

struct RenameRow {
  const char* target;  // display name, compared exactly
  bool target_contains;  // the row applies to every name containing `target`
  FieldMatch match;
  const char* field;
  const char* renamed;
};

constexpr const char* kAtLaKept[] = {"aURL1", "aDesc1", "iname", "iemail", "submit"};

constexpr RenameRow kRenames[] = {
    {"Jubii", false, FieldMatch::kName, "V0", "NAME"},
    {"Jubii", false, FieldMatch::kName, "V1", "TITLE"},
    {"Jubii", false, FieldMatch::kName, "V2", "TELPHONE"},
    {"Jubii", false, FieldMatch::kName, "V3", "URL"},
    {"Jubii", false, FieldMatch::kName, "V4", "KEYWORD"},
    {"Jubii", false, FieldMatch::kName, "V5", "DESCRIPT"},
    {"Google", true, FieldMatch::kName, "Q", "URL"},
    {"Bellnet", false, FieldMatch::kName, "BESCHR", "DQ"},
    {"Bellnet", false, FieldMatch::kName, "STADT", "COUNTRY"},
    {"Bellnet", false, FieldMatch::kName, "KOMMENT", "DESCRIPT"},
    {"Bellnet", false, FieldMatch::kName, "TEL", "TELPHONE"},
    {"Clickey", false, FieldMatch::kName, "DOMAIN", "URL"},
    {"Fybersearch", false, FieldMatch::kName, "WEBSITE", "URL"},
    {"Jdgo", false, FieldMatch::kName, "LINK", "URL"},
    {"InternetCruiser", false, FieldMatch::kImageType, nullptr, "ADD"},
    {"About-australia", false, FieldMatch::kName, "txtNumber", "TELPHONE"},
    {"About-australia", false, FieldMatch::kName, "txtWebAddress", "URL"},
    {"About-australia", false, FieldMatch::kName, "txtMsg", "DESCRIPT"},
    {"Bestnetcraft", false, FieldMatch::kName, "MSG", "DESCRIPT"},
    {"Bestnetcraft", false, FieldMatch::kName, "key", "KEYWORD"},
    {"At-la", false, FieldMatch::kAllExcept, nullptr, "NOUSE"},
    {"Onekey", false, FieldMatch::kName, "Q", "URL"},
    {"SearchCH", false, FieldMatch::kName, "EXPLANATION", "DESCRIPT"},
    {"Suchnase", false, FieldMatch::kName, "TELEFON", "TELPHONE"},
    {"Truesearch", false, FieldMatch::kName, "FROM", "NAME"},
    {"Truesearch", false, FieldMatch::kName, "PHONE", "TELPHONE"},
    {"Truesearch", false, FieldMatch::kName, "INFO", "DESCRIPT"},
    {"Truesearch", false, FieldMatch::kName, "SITENAME", "TITLE"},
    {"Yusearch", false, FieldMatch::kName, "CAT1", "CATEGORY"},
    {"2-surf", false, FieldMatch::kName, "BUSINESS", "DESCRIPT"},
    {"2-surf", false, FieldMatch::kName, "WWW", "URL"},
};

bool appliesTo(const RenameRow& row, std::string_view target) {
  return row.target_contains ? target.find(row.target) != std::string_view::npos
                             : target == row.target;
}

bool fieldMatches(const RenameRow& row, const std::string& name, std::string_view type) {
  switch (row.match) {
    case FieldMatch::kName:
      return core::equalsNoCase(name, row.field);
    case FieldMatch::kImageType:
      return core::equalsNoCase(type, "IMAGE");
    case FieldMatch::kAllExcept:
      for (const char* kept : kAtLaKept) {
        if (core::equalsNoCase(name, kept)) return false;
      }
      return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> fieldMapTokens(std::string_view field_map) {
  std::vector<std::string> tokens;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= field_map.size(); ++i) {
    if (i == field_map.size() || field_map[i] == ';' || field_map[i] == '\t' ||
        field_map[i] == '\n') {
      if (i - start >= 2) tokens.emplace_back(field_map.substr(start, i - start));
      start = i + 1;
    }
  }
  return tokens;
}

void normaliseFieldName(std::string& name, std::string_view type,
                        const core::EngineRecord& record, std::span<const std::string> tokens) {
  if (!tokens.empty()) {
    const std::string key = "&" + name;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (core::equalsNoCase(tokens[i], key)) {
        if (i + 1 < tokens.size()) name = tokens[i + 1];
        break;
      }
    }
    return;
  }
  const std::string_view target = record.name.view();
  for (const RenameRow& row : kRenames) {
    if (appliesTo(row, target) && fieldMatches(row, name, type)) name = row.renamed;
  }
}

}  // namespace larkspur::submit
