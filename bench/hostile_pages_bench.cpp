// Hostile pages from the target farm, each fetched over HTTP by the HTTP
// engine, parsed into the document model and walked twice as a submission
// session walks a page: as the answer after a click (every element's text
// classified) and as a form to fill. Each case runs in a child process of its
// own, so its peak memory is its own.
//
//   build/bench/hostile_pages_bench
//
// Goals per case: at most 1 s and at most 100 MB of peak memory above what
// the process held before the case.


#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "bench/bench_session_support.h"
#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/page_walk.h"
#include "tests/fixtures/farm/hostile_pages.h"
#include "tests/fixtures/farm/target_farm.h"
#include "web/http_engine.h"

namespace {

using namespace larkspur;
using bench::statusKb;

constexpr double kGoalSeconds = 1.0;
constexpr long kGoalKb = 100 * 1024;

struct Figures {
  double seconds = 0;
  long added_kb = 0;
  std::size_t elements = 0;
  std::size_t max_depth = 0;
  int final_state = 0;
};


class Capture : public web::BrowserEvents {
 public:
  void documentComplete(web::Document& document) override {
    if (!document.url().empty() && document.url().find("/hostile/") != std::string::npos) page = document;
  }
  void titleChange(const std::string&) override {}
  void navigationError(const std::string&, const std::string&, uint32_t, web::LoadScope) override {}
  std::optional<web::Document> page;
};

class QuietHost : public submit::SessionHost {
 public:
  void postProgress(bool) override {}
  void stopLoading() override {}
  void closeSession() override {}
};

std::size_t maxDepth(const web::Document& doc) {
  std::vector<std::size_t> depth(doc.size(), 1);
  std::size_t deepest = 0;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).parent >= 0) depth[i] = depth[static_cast<std::size_t>(doc.at(i).parent)] + 1;
    deepest = std::max(deepest, depth[i]);
  }
  return deepest;
}

// Fetches, parses and walks one page; runs in the child.
Figures runCase(const std::string& url) {
  core::WebsiteProfile profile;
  core::copyText(profile.url, "http://www.example-bakery.com/");
  core::copyText(profile.title, "Example Bakery");
  core::copyText(profile.email, "owner@example-bakery.com");
  profile.recomputeHost();
  const core::WordLists words = core::buildWordLists(profile);
  core::EngineRecord record;
  record.name.assign("Hostile");
  record.submit_type = core::kSubmitFirstButton;
  QuietHost host;

  Figures f;
  const auto start = std::chrono::steady_clock::now();
  web::HttpEngine engine;
  Capture capture;
  engine.setEvents(&capture);
  engine.navigate(url);
  engine.runPending();
  if (capture.page) {
    web::Document& doc = *capture.page;
    for (const submit::SessionState state : {submit::SessionState::kSubmitted, submit::SessionState::kLoaded}) {
      submit::WalkSession session;
      session.record = &record;
      session.automatic = true;
      session.owned = true;
      session.state = state;
      session.profile = &profile;
      session.words = &words;
      session.host = &host;
      submit::walkPage(session, doc);
      f.final_state = static_cast<int>(session.state);
    }
    f.elements = doc.size();
    f.max_depth = maxDepth(doc);
  }
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return f;
}

}  // namespace

int main() {
  farm::TargetFarm site;
  if (!site.start()) {
    std::fprintf(stderr, "cannot start the target farm\n");
    return 2;
  }
  std::printf("%-34s %9s %9s %9s %6s %6s  %s\n", "case", "bytes", "seconds", "added MB", "elems", "depth", "goal");
  bool all = true;
  for (const farm::HostilePage& page : farm::hostilePages()) {
    const std::string url = site.baseUrl() + page.path;
    const std::optional<Figures> f = bench::inChildProcess([&url] {
      const long before = statusKb("VmRSS:");
      Figures figures = runCase(url);
      figures.added_kb = statusKb("VmHWM:") - before;
      return figures;
    });
    if (!f) {
      std::printf("%-34s  failed (child crashed or gave no figures)\n", page.what.c_str());
      all = false;
      continue;
    }
    const bool pass = f->seconds <= kGoalSeconds && f->added_kb <= kGoalKb && f->elements > 0;
    all = all && pass;
    std::printf("%-34s %9zu %9.3f %9.1f %6zu %6zu  %s\n", page.what.c_str(), page.body.size(), f->seconds,
                static_cast<double>(f->added_kb) / 1024.0, f->elements, f->max_depth, pass ? "pass" : "FAIL");
  }
  std::printf("goals: <= %.1f s and <= %ld MB added peak memory per case: %s\n", kGoalSeconds, kGoalKb / 1024,
              all ? "all met" : "NOT all met");
  site.stop();
  return all ? 0 : 1;
}
