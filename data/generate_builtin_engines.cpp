// Build-time generator: reads the built-in target list (targets text format)
// and writes a C++ file holding the records, closed by one empty-name record.

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "core/fixed_text.h"
#include "core/targets_text.h"

using larkspur::core::EngineRecord;
using larkspur::core::fieldView;

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
         "namespace larkspur::core {\n\nnamespace {\n\n"
         "const EngineRecord kBuiltinEngines[] = {\n";
  for (const EngineRecord& r : parsed.records) {
    out << "    {" << literal(fieldView(r.name)) << ", " << literal(fieldView(r.country)) << ", "
        << literal(fieldView(r.submit_url)) << ", " << literal(fieldView(r.submit_hint)) << ", "
        << literal(fieldView(r.success_keyword)) << ", " << literal(fieldView(r.already_keyword))
        << ", " << literal(fieldView(r.reserved)) << ", " << literal(fieldView(r.field_map))
        << ", " << r.rank << ", " << r.submit_type << ", \"\", 0, \"\"},\n";
  }
  out << "    {\"\", \"\", \"\", \"\", \"\", \"\", \"\", \"\", 0, 0, \"\", 0, \"\"},\n"
         "};\n\n}  // namespace\n\n"
         "std::span<const EngineRecord> builtinEngines() { return kBuiltinEngines; }\n\n"
         "}  // namespace larkspur::core\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
