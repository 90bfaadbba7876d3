// Feeds arbitrary bytes to whole-project loading: decipher, parse and load
// into the tables. Whatever loads must build a project buffer again, that
// buffer must load, and building it once more must give the same bytes.
//
// Each input is loaded twice: as a file's bytes, and as the content of a file
// (enciphered first). The cipher is a fixed keystream, so byte changes carry
// over either way, but only the second lets the fuzzer's inserted bytes and
// compared constants land in the content as they are.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/project_file.h"
#include "core/rc4.h"
#include "tests/fuzz/project_fuzz_engines.h"

using namespace larkspur::core;

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "project_load_fuzz: %s\n", what);
  std::abort();
}

struct Tables {
  WebsiteProfile profile;
  EngineTable engines;
  LinkList links;
  PpcList ppc;

  Status load(std::vector<uint8_t> bytes) {
    return loadProjectBuffer(std::move(bytes), profile, engines, links, ppc,
                             larkspur::fuzz::projectFuzzEngines());
  }
  std::optional<std::vector<uint8_t>> build() const {
    return buildProjectBuffer(profile, engines, links);
  }
};

void loadAndRoundTrip(std::vector<uint8_t> file) {
  Tables first;
  Status loaded = first.load(std::move(file));
  if (!loaded.ok()) {
    if (loaded.message != kDataErrorMessage) fail("a failed load does not say \"Data error!\"");
    if (first.engines.size() != 0 || first.links.size() != 0) fail("a failed load left records");
    return;
  }

  std::optional<std::vector<uint8_t>> built = first.build();
  if (!built) fail("a loaded project does not build a buffer");

  Tables second;
  if (!second.load(*built).ok()) fail("a built buffer does not load");
  if (second.links.size() != first.links.size()) fail("the reload has another number of links");
  if (second.engines.size() != first.engines.size()) fail("the reload has another number of targets");
  std::optional<std::vector<uint8_t>> again = second.build();
  if (!again) fail("a reloaded project does not build a buffer");
  if (*again != *built) fail("build(load(build(x))) differs from build(x)");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  loadAndRoundTrip(bytes);
  rc4Storage(bytes);
  loadAndRoundTrip(std::move(bytes));
  return 0;
}
