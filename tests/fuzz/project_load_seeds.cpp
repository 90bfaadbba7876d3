// Writes project files saved by core::Project into the directory given as the
// only argument, as the starting corpus of project_load_fuzz, each also
// deciphered (project_load_fuzz loads every input both ways).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/project.h"
#include "core/rc4.h"
#include "tests/fuzz/project_fuzz_engines.h"

using namespace larkspur::core;

namespace {

bool saveSeed(const std::filesystem::path& dir, const char* name, int links, bool states) {
  Project project;
  project.setEngineSource(larkspur::fuzz::projectFuzzEngines());
  project.newProject();
  if (links > 0 || states) {
    copyText(project.profile.url, "http://www.example.com/shop/");
    copyText(project.profile.email, "owner@example.com");
    copyText(project.profile.title, "Roses & Tulips");
    copyText(project.profile.keyword, "roses, tulips, bulbs");
    copyText(project.profile.password, "secret");
    project.profileChanged();
  }
  for (std::size_t i = 0; states && i < project.engines.size(); ++i) {
    EngineRecord* r = project.engines.at(i);
    copyText(r->submit_state, i % 2 ? "Submit-OK" : "Submit-Error");
    copyText(r->message, "message " + std::to_string(i));
    r->rank = static_cast<int32_t>(i);
  }
  for (int i = 0; i < links; ++i) {
    LinkRecord link{};
    copyText(link.url, "http://links.example/page" + std::to_string(i) + ".html");
    copyText(link.link_text, "Page " + std::to_string(i));
    copyText(link.email, "webmaster@links.example");
    copyText(link.ip, "192.0.2." + std::to_string(i + 1));
    link.page_rank = i % 11 - 1;
    link.add_time = 1700000000 + i;
    project.links.append(link);
  }
  const std::filesystem::path file = dir / name;
  if (!project.save(file).ok()) return false;
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  rc4Storage(content);
  std::ofstream out(dir / (std::string(name) + ".plain"), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  return !content.empty() && out.good();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  bool ok = saveSeed(dir, "new.lkr", 0, false);
  ok &= saveSeed(dir, "states.lkr", 0, true);
  ok &= saveSeed(dir, "links.lkr", 3, true);
  if (!ok) std::fprintf(stderr, "%s: could not write the seeds\n", argv[0]);
  return ok ? 0 : 1;
}
