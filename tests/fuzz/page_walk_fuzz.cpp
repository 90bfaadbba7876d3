// Feeds arbitrary bytes through what a fetched page goes through: charset
// detection and decoding (the Content-Type is picked by the first byte), the
// nesting cap, the document model, and the page walk of an automatic session
// as the answer after a click and then as a form. The model must stay within
// the nesting limit and every element text within its bound.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/page_walk.h"
#include "web/html_parser.h"
#include "web/nesting_limit.h"

namespace {

using namespace larkspur;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "page_walk_fuzz: %s\n", what);
  std::abort();
}

constexpr const char* kContentTypes[] = {
    "",
    "text/html",
    "text/html; charset=utf-8",
    "text/html; charset=windows-1252",
    "text/html; charset=windows-1251",
    "text/html; charset=iso-8859-1",
    "text/html; charset=shift_jis",
    "text/html; charset=utf-16le",
    "text/html; charset=x-no-such-label",
};

class NullHost : public submit::SessionHost {
 public:
  void postProgress(bool) override {}
  void stopLoading() override {}
  void closeSession() override {}
};

struct Fixture {
  Fixture() {
    core::copyText(profile.url, "http://www.example-bakery.com/");
    core::copyText(profile.title, "Example Bakery");
    core::copyText(profile.email, "owner@example-bakery.com");
    core::copyText(profile.country, "Germany");
    profile.recomputeHost();
    words = core::buildWordLists(profile);
  }
  core::WebsiteProfile profile;
  core::WordLists words;
  NullHost host;
};

void checkModel(const web::Document& doc) {
  std::vector<std::size_t> depth(doc.size(), 1);
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const int parent = doc.at(i).parent;
    if (parent >= static_cast<int>(i)) fail("parent after its child");
    if (parent >= 0) depth[i] = depth[static_cast<std::size_t>(parent)] + 1;
    if (depth[i] > web::kMaxNestingDepth) fail("nesting beyond the limit");
    if (doc.textOf(i).size() > web::Document::kTextLimit) fail("element text beyond its bound");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  if (size == 0) return 0;
  const char* content_type = kContentTypes[data[0] % (sizeof kContentTypes / sizeof kContentTypes[0])];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  web::Document doc = web::parseHtml(bytes, "http://fuzz.example/add/", content_type);
  checkModel(doc);

  core::EngineRecord record;
  core::copyText(record.name, "Fuzz");
  core::copyText(record.submit_hint, "add");
  constexpr int32_t kSubmitTypes[] = {core::kSubmitFirstButton, core::kSubmitCaption, core::kSubmitImage,
                                      core::kSubmitManual};
  record.submit_type = kSubmitTypes[(data[0] >> 4) % 4];
  for (const submit::SessionState state : {submit::SessionState::kSubmitted, submit::SessionState::kLoaded}) {
    submit::WalkSession session;
    session.record = &record;
    session.automatic = true;
    session.owned = true;
    session.state = state;
    session.profile = &fixture.profile;
    session.words = &fixture.words;
    session.host = &fixture.host;
    submit::walkPage(session, doc);
  }
  return 0;
}
