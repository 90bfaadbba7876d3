// submit: submits the project's website to its automatic targets, the way
// "Auto Submit ALL" and "Auto Submit Reset" do, printing what happens. The
// engine that hosts the sessions is the caller's.

#include "cli/submit_run.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/finished_states.h"
#include "cli/job_console.h"
#include "core/engine_table.h"
#include "core/coordination.h"
#include "core/fixed_text.h"
#include "core/target_health.h"
#include "core/project.h"
#include "core/service_hosts.h"
#include "core/targets_text.h"
#include "submit/batch_targets.h"
#include "submit/submit_states.h"

namespace larkspur::cli {

namespace {

using core::EngineRecord;
using core::fieldView;

// After Ctrl-C: how long running submissions get to end (sessions close
// within a second of the stop signal, direct requests give up their fetch).
constexpr std::chrono::milliseconds kInterruptWait{3'000};

const char kUsage[] =
    "usage: larkspur-cli submit PROJECT.lkr [--all | --reset | --target NAME ...] [--targets-file FILE] "
    "[--service-base URL] [--time-out SECONDS] [--engine http|browser]";

// Prints a line per started target and per report; on a terminal a status
// line under them shows the counters and the elapsed time.
class TerminalView : public submit::BatchView {
 public:
  TerminalView(const submit::Batch*& batch, bool live, FinishedStates& states)
      : batch_(batch), live_(live), states_(states) {}

  void rowAdded(std::size_t row) override {
    const submit::BatchRow& r = batch_->rows()[row];
    line(r.name + ": " + r.state);
  }
  void rowChanged(std::size_t row, bool finalReport) override {
    const submit::BatchRow& r = batch_->rows()[row];
    if (!finalReport) {
      line(r.name + ": " + r.state);
      return;
    }
    const std::string state(r.record->submit_state.view());
    std::string text = r.name + ": " + state;
    if (!r.state.empty() && r.state != state) text += ": " + r.state;
    line(text);
    const core::Status saved = states_.finished(*r.record);
    if (!saved.ok() && !saveFailed_) {
      saveFailed_ = true;
      std::fprintf(stderr, "larkspur-cli: the states reached cannot be saved yet: %s\n", saved.message.c_str());
    }
  }
  void elapsedChanged(const std::string&) override { status(); }
  void finished(const std::string& message) override { line(message); }

  // Takes the status line away before the program's last words.
  void clearStatus() {
    if (live_ && shown_) std::fputs("\r\x1b[2K", stdout);
    shown_ = false;
    std::fflush(stdout);
  }

 private:
  void line(const std::string& text) {
    if (live_ && shown_) std::fputs("\r\x1b[2K", stdout);
    // Names come from target lists, messages from servers.
    std::printf("%s\n", shown(text).c_str());
    shown_ = false;
    status();
    std::fflush(stdout);
  }
  void status() {
    if (!live_ || !batch_) return;
    std::printf("\r\x1b[2K[%d/%zu] %d succeeded, %d failed, %s", batch_->processed(), batch_->total(),
                batch_->succeeded(), batch_->failed(), batch_->elapsed().c_str());
    shown_ = true;
    std::fflush(stdout);
  }

  const submit::Batch*& batch_;
  bool live_;
  FinishedStates& states_;
  bool shown_ = false;
  bool saveFailed_ = false;
};

}  // namespace

Arguments submitArguments(const std::vector<std::string>& words) {
  return Arguments(words, {"target", "targets-file", "service-base", "time-out", "engine"},
                   {"all", "reset", "include-unhealthy"});
}

int runSubmit(const std::vector<std::string>& words, SubmitEngine& engine) {
  const Arguments args = submitArguments(words);
  if (!args.error().empty()) return fail("submit: " + args.error(), 2);
  if (args.positional().size() != 1) return fail(kUsage, 2);
  const int modes = (args.has("all") ? 1 : 0) + (args.has("reset") ? 1 : 0) + (args.has("target") ? 1 : 0);
  if (modes > 1) return fail("submit: choose one of --all, --reset and --target", 2);
  if (std::optional<std::string> name = args.value("engine")) {
    if (*name != kHttpEngine && *name != kBrowserEngine) {
      return fail("submit: --engine wants http or browser, not '" + *name + "'", 2);
    }
    if (*name != engine.name()) {
      return fail("submit: this program runs the " + std::string(engine.name()) + " engine only", 2);
    }
  }
  const std::filesystem::path path = args.positional()[0];

  submit::SessionTimings timings;
  if (std::optional<std::string> text = args.value("time-out")) {
    std::optional<long> seconds = parseSeconds(*text);
    if (!seconds) return fail("submit: --time-out wants a number of seconds from 1 to 86400", 2);
    timings.timeOut = std::chrono::seconds(*seconds);
  }
  if (std::optional<std::string> base = args.value("service-base")) {
    if (!core::setServiceBase(*base)) {
      return fail("submit: --service-base wants scheme://host[:port] with http or https, not '" + *base + "'", 2);
    }
  }

  // The target table: built in, or read from a file.
  std::vector<EngineRecord> source;
  std::size_t candidates = 0;  // the first records of the table that may be submitted
  core::Project project;
  if (std::optional<std::string> file = args.value("targets-file")) {
    core::TargetsText parsed = core::readTargetsFile(*file);
    if (!parsed.ok()) return fail(parsed.error);
    candidates = parsed.records.size();
    source = core::withBuiltInRest(parsed.records);
    project.setEngineSource(source);
  }
  core::Status opened = project.open(path);
  if (!opened.ok()) return fail(opened.message);
  if (!args.has("targets-file")) candidates = project.engines.size();
  candidates = std::min(candidates, project.engines.size());
  if (fieldView(project.profile.url).empty()) {
    return fail("submit: " + path.string() + " has no website URL (set one with larkspur-cli set --url URL)");
  }

  // The targets to submit, in table order.
  std::vector<EngineRecord*> targets;
  if (args.has("target")) {
    std::set<std::string> wanted;
    for (const std::string& name : args.values("target")) {
      bool found = false;
      for (std::size_t i = 0; i < candidates; ++i) {
        const EngineRecord& r = *project.engines.at(i);
        if (r.name != name) continue;
        found = true;
        if (r.submit_type == core::kSubmitManual) {
          return fail("submit: '" + name + "' is submitted by hand, not automatically", 2);
        }
      }
      if (!found) return fail("submit: no target named '" + name + "'", 2);
      wanted.insert(name);
    }
    for (std::size_t i = 0; i < candidates; ++i) {
      EngineRecord* r = project.engines.at(i);
      if (wanted.count(r->name.str())) targets.push_back(r);
    }
  } else {
    submit::BatchChoice choice = submit::chooseBatchTargets(
        project.engines, args.has("reset") ? submit::BatchScope::kNotYetSucceeded : submit::BatchScope::kAll,
        args.has("include-unhealthy"), candidates);
    targets = std::move(choice.targets);
    // Targets whose last check says they are no longer what they were are
    // not sent the profile.
    for (const EngineRecord* skipped : choice.skipped) {
      std::printf("%s: %s\n", shown(skipped->name.str()).c_str(), shown(core::skippedByHealthText(*skipped)).c_str());
    }
  }
  if (targets.empty()) {
    std::printf("No target to submit.\n");
    return 0;
  }

  core::Coordination& coordination = core::processCoordination();
  core::MessageQueue queue;
  submit::SubmissionContext settings;
  settings.profile = &project.profile;
  settings.words = &project.words;
  settings.coordination = &coordination;
  settings.post = queue.poster();
  settings.timings = timings;

  const submit::Batch* shown = nullptr;
  FinishedStates states(project, path);
  TerminalView view(shown, isatty(STDOUT_FILENO) == 1, states);
  submit::BatchLoopEnd end;
  {
    submit::TargetStarter& starter = engine.starter(settings, targets);
    submit::Batch batch(targets, coordination, starter, 1, &view);
    shown = &batch;
    std::printf("Submitting %s to %zu targets\n", project.profile.url, batch.total());
    std::fflush(stdout);
    InterruptToStop interrupt;
    end = engine.run(batch, queue, interrupt.flag());
    if (end == submit::BatchLoopEnd::kCancelled) {
      view.clearStatus();
      std::printf("Cancelled: %d of %zu targets processed, %d succeeded, %d failed.\n", batch.processed(),
                  batch.total(), batch.succeeded(), batch.failed());
      std::fflush(stdout);
      // Sessions close within a second of the stop signal; direct requests
      // are told to give up. Whatever has not ended by then is left behind:
      // the file only ever receives finished states.
      if (!engine.abandon(kInterruptWait)) {
        const core::Status saved = states.save();
        if (!saved.ok()) return fail(saved.message);
        std::printf("Saved %s\n", path.c_str());
        std::fflush(stdout);
        std::_Exit(kInterruptedExit);
      }
    }
    engine.finish();
    view.clearStatus();
    shown = nullptr;
  }

  const core::Status saved = states.save();
  if (!saved.ok()) return fail(saved.message);
  std::printf("Saved %s\n", path.c_str());
  std::fflush(stdout);
  return end == submit::BatchLoopEnd::kFinished ? 0 : kInterruptedExit;
}

}  // namespace larkspur::cli
