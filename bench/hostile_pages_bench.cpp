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

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/page_walk.h"
#include "tests/fixtures/farm/hostile_pages.h"
#include "tests/fixtures/farm/target_farm.h"
#include "web/http_engine.h"

namespace {

using namespace larkspur;

constexpr double kGoalSeconds = 1.0;
constexpr long kGoalKb = 100 * 1024;

struct Figures {
  double seconds = 0;
  long added_kb = 0;
  std::size_t elements = 0;
  std::size_t max_depth = 0;
  int final_state = 0;
};

// A field of /proc/self/status in kB.
long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  }
  return 0;
}

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
  std::memset(&record, 0, sizeof record);
  core::copyText(record.name, "Hostile");
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

// Runs a case in a child process and reads back its figures.
std::optional<Figures> inChild(const std::string& url) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    close(fds[0]);
    // Peak memory counts from here: reset it to what the process holds now.
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    const long before = statusKb("VmRSS:");
    Figures f = runCase(url);
    f.added_kb = statusKb("VmHWM:") - before;
    const ssize_t written = write(fds[1], &f, sizeof f);
    _exit(written == static_cast<ssize_t>(sizeof f) ? 0 : 1);
  }
  close(fds[1]);
  Figures f;
  const ssize_t got = read(fds[0], &f, sizeof f);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != static_cast<ssize_t>(sizeof f) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
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
    const std::optional<Figures> f = inChild(site.baseUrl() + page.path);
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
