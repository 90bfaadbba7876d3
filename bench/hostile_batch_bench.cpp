// Batches over the target farm's hostile pages, five targets at once, on the
// HTTP engine as `larkspur-cli submit` runs them: for each kind of hostile
// page a batch of five targets of that kind (the worst a batch can meet),
// then one batch of every kind together. Each batch runs in a child process
// of its own, with the farm in another, so a batch's peak memory is its own
// process's peak (what the program would take), not the farm's.
//
//   build/bench/hostile_batch_bench [--time-out SECONDS]
//
// Goals: each batch's peak at most 100 MB, and every target decided (none
// left to the time-out).

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_session_support.h"
#include "core/coordination.h"
#include "core/fixed_text.h"
#include "core/message_queue.h"
#include "core/word_lists.h"
#include "submit/batch.h"
#include "submit/batch_loop.h"
#include "submit/thread_starter.h"
#include "tests/fixtures/farm/hostile_pages.h"
#include "tests/fixtures/farm/target_farm.h"

namespace {

using namespace larkspur;
using bench::statusKb;

constexpr long kGoalKb = 100 * 1024;
constexpr int kAtOnce = 5;


struct Kind {
  std::string what;
  std::string url;
};

struct Figures {
  double seconds = 0;
  long peakKb = 0;
  int succeeded = 0;
  int failed = 0;
  int timedOut = 0;
};

// One batch of `urls` (each a target sending its form by the first button),
// five at once; runs in the child.
Figures runBatch(const std::vector<std::string>& urls, std::chrono::seconds timeOut) {
  const core::WebsiteProfile profile = bench::benchProfile();
  const core::WordLists words = core::buildWordLists(profile);
  std::vector<std::unique_ptr<core::EngineRecord>> records;
  std::vector<core::EngineRecord*> list;
  for (std::size_t i = 0; i < urls.size(); ++i) {
    auto r = std::make_unique<core::EngineRecord>();
    r->name.assign("Hostile " + std::to_string(i + 1));
    r->submit_url.assign(urls[i]);
    r->submit_type = core::kSubmitFirstButton;
    list.push_back(r.get());
    records.push_back(std::move(r));
  }
  core::Coordination coordination;
  core::MessageQueue queue;
  submit::SubmissionContext context;
  context.profile = &profile;
  context.words = &words;
  context.coordination = &coordination;
  context.post = queue.poster();
  context.timings.timeOut = timeOut;
  Figures f;
  const auto start = std::chrono::steady_clock::now();
  {
    submit::ThreadStarter starter(context);
    submit::Batch batch(list, coordination, starter);
    std::atomic<bool> cancel{false};
    submit::BatchLoopOptions options;
    // Short ticks: the five start together instead of one a second.
    options.tickPeriod = std::chrono::milliseconds(10);
    submit::runBatchLoop(batch, queue, cancel, options);
    f.succeeded = batch.succeeded();
    f.failed = batch.failed();
  }
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (const auto& r : records) {
    if (r->message == "Time out!") ++f.timedOut;
  }
  return f;
}

// Serves the farm in a process of its own; returns its pid and the kinds of
// hostile page it serves. The pages are built there only, so that no batch
// process holds them.
pid_t startFarm(std::vector<Kind>& kinds) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid != 0) {
    close(fds[1]);
    std::string lines;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) lines.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    for (std::size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string line = lines.substr(at, end - at);
      const std::size_t tab = line.find('\t');
      if (tab != std::string::npos) kinds.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return kinds.empty() ? -1 : pid;
  }
  close(fds[0]);
  farm::TargetFarm site;
  if (!site.start()) _exit(1);
  const std::string base = site.baseUrl();
  std::string lines;
  for (const farm::HostilePage& page : farm::hostilePages()) lines += page.what + "\t" + base + page.path + "\n";
  for (const farm::FarmTarget& target : site.oversizedTargets()) {
    lines += target.key + "\t" + std::string(target.record.submit_url.view()) + "\n";
  }
  if (write(fds[1], lines.data(), lines.size()) != static_cast<ssize_t>(lines.size())) _exit(1);
  close(fds[1]);
  pause();
  _exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  long timeOutSeconds = 30;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--time-out") == 0) timeOutSeconds = std::atol(argv[i + 1]);
  }
  std::vector<Kind> kinds;
  const pid_t farmPid = startFarm(kinds);
  if (farmPid <= 0) {
    std::fprintf(stderr, "cannot start the target farm\n");
    return 2;
  }

  std::printf("%-34s %9s %9s %5s %5s %9s  %s\n", "batch (5 at once)", "seconds", "peak MB", "ok", "error",
              "time-outs", "goal");
  bool all = true;
  auto report = [&](const std::string& what, const std::vector<std::string>& urls) {
    const std::optional<Figures> ran = bench::inChildProcess([&] {
      Figures figures = runBatch(urls, std::chrono::seconds(timeOutSeconds));
      figures.peakKb = statusKb("VmHWM:");
      return figures;
    });
    if (!ran) {
      std::printf("%-34s  failed (the batch crashed or gave no figures)\n", what.c_str());
      all = false;
      return;
    }
    const Figures& f = *ran;
    const bool pass = f.peakKb <= kGoalKb && f.timedOut == 0;
    all = all && pass;
    std::printf("%-34s %9.2f %9.1f %5d %5d %9d  %s\n", what.c_str(), f.seconds, static_cast<double>(f.peakKb) / 1024.0,
                f.succeeded, f.failed, f.timedOut, pass ? "pass" : "FAIL");
    std::fflush(stdout);
  };
  std::vector<std::string> every;
  for (const Kind& kind : kinds) {
    report(kind.what, std::vector<std::string>(kAtOnce, kind.url));
    every.push_back(kind.url);
  }
  report("every kind in one batch", every);
  std::printf("goals: peak <= %ld MB per batch and no time-out: %s\n", kGoalKb / 1024, all ? "all met" : "NOT all met");
  kill(farmPid, SIGTERM);
  waitpid(farmPid, nullptr, 0);
  return all ? 0 : 1;
}
