// Writes a few valid serialised Property tables into the directory given as
// the only argument, as the starting corpus of property_table_fuzz.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/property_table.h"

using larkspur::core::kPropValue8;
using larkspur::core::PropertyTable;
using larkspur::core::PropTable;

namespace {

bool writeSeed(const std::string& dir, const char* name, const PropertyTable& table) {
  auto bytes = table.serialise();
  if (!bytes) return false;
  std::string path = dir + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes->data(), 1, bytes->size(), f) == bytes->size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;

  PropertyTable empty;
  ok &= writeSeed(dir, "empty", empty);

  PropertyTable rank;
  rank.addInteger("rank", 7);
  ok &= writeSeed(dir, "rank", rank);

  PropertyTable values;
  values.addInteger("m_searchengine_count", 342);
  values.addText("m_szurl", "http://www.example.com/");
  values.addText("m_title", "Caf\xC3\xA9 & more", 1);
  const uint8_t blob[] = {0, 1, 2, 0xFF, 0x80};
  values.addBinary("blob", blob, sizeof blob);
  ok &= writeSeed(dir, "values", values);

  PropertyTable project;
  auto engines = std::make_unique<PropTable>(3, 4);
  for (int32_t r = 0; r < 3; ++r) {
    engines->setText(r, 0, "Engine " + std::to_string(r), "name");
    engines->setInteger(r, 1, r, "state");
    engines->setText(r, 2, r == 1 ? "Submit-OK" : "Un-Submit", "msg");
    engines->setRaw(r, 3, kPropValue8, 0, "stamp", std::vector<uint8_t>(8, static_cast<uint8_t>(r)));
  }
  auto nested = std::make_unique<PropTable>(1, 2);
  nested->setInteger(0, 0, -1, "x");
  nested->setTable(0, 1, std::make_unique<PropTable>(0, 5), "empty");
  auto outer = std::make_unique<PropTable>(1, 1);
  outer->setTable(0, 0, std::move(nested), "inner");
  project.addTable("m_searchengine", std::move(engines));
  project.addInteger("m_searchengine_count", 3);
  project.addTable("linkme", std::move(outer));
  ok &= writeSeed(dir, "project", project);

  if (!ok) std::fprintf(stderr, "%s: could not write the seeds\n", argv[0]);
  return ok ? 0 : 1;
}
