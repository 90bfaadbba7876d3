// Build-time generator: reads the built-in target list (targets text format)
// and writes a C++ file holding its rows, from which the records are made on
// first use, closed by one empty-name record.

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "core/targets_text.h"

using larkspur::core::EngineRecord;

namespace {

std::string literal(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F || c == '?') {
      // Octal escapes keep every byte exact (and '?' avoids trigraph look-alikes).
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: larkspur-datagen ENGINES.tsv OUTPUT.cpp\n");
    return 2;
  }
  larkspur::core::TargetsText parsed = larkspur::core::readTargetsFile(argv[1]);
  if (!parsed.ok()) {
    std::fprintf(stderr, "%s\n", parsed.error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << "// Generated from engines.tsv by larkspur-datagen. Do not edit.\n"
         "#include \"core/builtin_engines.h\"\n\n"
         "#include <iterator>\n#include <vector>\n\n#include \"core/targets_text.h\"\n\n"
         "namespace larkspur::core {\n\nnamespace {\n\n"
         "struct Row {\n  const char* text[8];\n  int32_t rank;\n  int32_t submitType;\n};\n\n"
         "constexpr Row kRows[] = {\n";
  for (const EngineRecord& r : parsed.records) {
    out << "    {{";
    const auto fields = larkspur::core::targetTextFields();
    for (std::size_t i = 0; i < fields.size(); ++i) out << (i ? ", " : "") << literal(fields[i].get(r));
    out << "}, " << r.rank << ", " << r.submit_type << "},\n";
  }
  out << "};\n\n}  // namespace\n\n"
         "std::span<const EngineRecord> builtinEngines() {\n"
         "  static const std::vector<EngineRecord> records = [] {\n"
         "    std::vector<EngineRecord> all(std::size(kRows) + 1);  // the last one closes the table\n"
         "    const auto fields = targetTextFields();\n"
         "    for (std::size_t i = 0; i < std::size(kRows); ++i) {\n"
         "      for (std::size_t f = 0; f < fields.size(); ++f) fields[f].set(all[i], kRows[i].text[f]);\n"
         "      all[i].rank = kRows[i].rank;\n"
         "      all[i].submit_type = kRows[i].submitType;\n"
         "    }\n"
         "    return all;\n"
         "  }();\n"
         "  return records;\n"
         "}\n\n"
         "}  // namespace larkspur::core\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
