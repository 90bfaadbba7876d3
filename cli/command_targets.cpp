// targets: the built-in target list, and the check of what each target has
// become.

#include <cstdio>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/job_console.h"
#include "core/engine_table.h"
#include "core/fixed_text.h"
#include "core/project.h"
#include "core/target_health.h"
#include "core/targets_text.h"
#include "health/dns_lookup.h"
#include "health/target_check.h"

namespace larkspur::cli {

const char kTargetsUsage[] =
    "targets\n"
    "      List the built-in targets (name, country, type, rank, submit URL).\n"
    "  targets check PROJECT.lkr [--target NAME ...] [--targets-file FILE] [--dns-server HOST:PORT]\n"
    "                [--jobs N] [--time-out SECONDS] [--json]\n"
    "      Check whether each target still lives: resolve its host, fetch its add-URL page\n"
    "      and give one verdict (live, no-form, moved, parked, gone, unreachable, unknown)\n"
    "      with its reason, one line per target as it ends, then a summary. The verdicts are\n"
    "      saved in the project (not with --targets-file), and batches leave out targets\n"
    "      that are no-form, moved, parked, gone or unreachable. --jobs: targets at once\n"
    "      (default 64); --time-out: each target's limit (default 20 s); --dns-server: the\n"
    "      name server to ask instead of the system's; --json: one object per target\n"
    "      (name, verdict, reason, checked). Exit 0, or 130 on Ctrl-C (verdicts so far saved).";

namespace {

int listTargets() {
  larkspur::core::EngineTable table;
  table.buildFromBuiltIn();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto& r = *table.at(i);
    std::printf("%-26s %-16s %3d %2d  %s\n", r.name.str().c_str(), r.country.str().c_str(), r.submit_type, r.rank,
                r.submit_url.str().c_str());
  }
  return 0;
}

constexpr char kCheckUsage[] =
    "usage: larkspur-cli targets check PROJECT.lkr [--target NAME ...] [--targets-file FILE] "
    "[--dns-server HOST:PORT] [--jobs N] [--time-out SECONDS] [--json]";

// "120 live, 80 gone, 3 unknown" in the order of the verdicts.
std::string summaryOf(const std::map<std::string, int>& counts) {
  std::string text;
  for (std::string_view verdict : core::kHealthVerdicts) {
    auto found = counts.find(std::string(verdict));
    if (found == counts.end()) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(found->second) + " " + std::string(verdict);
  }
  return text.empty() ? "none" : text;
}

int runCheck(const std::vector<std::string>& words) {
  Arguments args(words, {"target", "targets-file", "dns-server", "jobs", "time-out"}, {"json"});
  if (!args.error().empty()) return fail("targets check: " + args.error(), 2);
  if (args.positional().size() != 1) return fail(kCheckUsage, 2);
  const std::string path = args.positional()[0];

  health::CheckOptions options;
  if (std::optional<std::string> server = args.value("dns-server")) {
    if (std::string error = health::dnsServerError(*server); !error.empty()) return fail("targets check: " + error, 2);
    options.dnsServer = *server;
  }
  if (std::optional<std::string> jobs = args.value("jobs")) {
    const std::optional<long> n = parseSeconds(*jobs);  // a plain positive number
    if (!n || *n > health::kMaxJobs) {
      return fail("targets check: --jobs wants a number from 1 to " + std::to_string(health::kMaxJobs), 2);
    }
    options.jobs = static_cast<int>(*n);
  }
  if (std::optional<std::string> seconds = args.value("time-out")) {
    const std::optional<long> n = parseSeconds(*seconds);
    if (!n) return fail("targets check: --time-out wants a number of seconds from 1 to 86400", 2);
    options.deadline = std::chrono::seconds(*n);
  }

  core::Project project;
  if (core::Status opened = project.open(path); !opened.ok()) return fail(opened.message);
  // The targets that may be named: the project's, or those of a file.
  std::vector<core::EngineRecord*> candidates;
  std::vector<core::EngineRecord> fileTargets;
  const bool fromFile = args.has("targets-file");
  if (fromFile) {
    core::TargetsText parsed = core::readTargetsFile(*args.value("targets-file"));
    if (!parsed.ok()) return fail(parsed.error);
    fileTargets = std::move(parsed.records);
    for (core::EngineRecord& r : fileTargets) candidates.push_back(&r);
  } else {
    for (std::size_t i = 0; i < project.engines.size(); ++i) candidates.push_back(project.engines.at(i));
  }
  std::vector<core::EngineRecord*> chosen;
  if (args.has("target")) {
    std::set<std::string> wanted;
    for (const std::string& name : args.values("target")) {
      const bool known = std::ranges::any_of(candidates, [&](const core::EngineRecord* r) { return r->name == name; });
      if (!known) return fail("targets check: no target named '" + name + "'", 2);
      wanted.insert(name);
    }
    for (core::EngineRecord* r : candidates) {
      if (wanted.count(r->name.str())) chosen.push_back(r);
    }
  } else {
    chosen = candidates;
  }

  std::vector<core::EngineRecord> copies;
  for (const core::EngineRecord* r : chosen) copies.push_back(*r);
  const bool json = args.has("json");
  std::mutex mutex;
  std::vector<std::pair<std::size_t, health::Verdict>> arrived;
  std::map<std::string, int> counts;
  nlohmann::json objects = nlohmann::json::array();
  std::size_t reached = 0;

  ConsoleJob job;
  JobWatch watch;
  watch.word = "Checking";
  // Each verdict is taken in and printed here, on the main thread.
  watch.onMessage = [&](const core::Message&) {
    std::vector<std::pair<std::size_t, health::Verdict>> taken;
    {
      std::lock_guard lock(mutex);
      taken.swap(arrived);
    }
    for (const auto& [index, verdict] : taken) {
      health::applyVerdict(*chosen[index], verdict);
      ++counts[verdict.verdict];
      ++reached;
      const std::string name = chosen[index]->name.str();
      if (json) {
        objects.push_back({{"name", name}, {"verdict", verdict.verdict}, {"reason", verdict.reason},
                           {"checked", verdict.checked}});
      } else {
        std::printf("%s: %s: %s\n", shown(name).c_str(), verdict.verdict.c_str(), shown(verdict.reason).c_str());
        std::fflush(stdout);
      }
    }
  };
  watch.detail = [&] { return std::to_string(reached) + " of " + std::to_string(copies.size()) + " targets"; };
  core::Post post = job.queue.poster();
  const std::optional<bool> stopped = job.watchWorker(watch, [&] {
    health::checkTargets(copies, options, job.coordination.stop, [&](std::size_t index, const health::Verdict& v) {
      {
        std::lock_guard lock(mutex);
        arrived.emplace_back(index, v);
      }
      post(core::Message{core::MessageId::kRecordChanged, nullptr, static_cast<int64_t>(index), {}});
    });
  });
  if (!stopped) return fail("targets check: no worker thread could be started");
  watch.onMessage(core::Message{});  // whatever arrived after the last message was taken

  if (json) {
    std::printf("%s\n", objects.dump(2).c_str());
  } else if (*stopped) {
    std::printf("Stopped after %zu of %zu targets: %s\n", reached, copies.size(), summaryOf(counts).c_str());
  } else {
    std::printf("Checked %zu targets: %s\n", reached, summaryOf(counts).c_str());
  }
  if (!fromFile && reached > 0) {
    if (core::Status saved = project.save(path); !saved.ok()) return fail(saved.message);
  }
  return *stopped ? kInterruptedExit : 0;
}

}  // namespace

int runTargetsCommand(const Words& words) {
  if (!words.empty() && words[0] == "check") return runCheck(Words(words.begin() + 1, words.end()));
  Arguments args(words, {}, {});
  if (!args.error().empty()) return fail(args.error(), 2);
  if (!args.positional().empty()) return fail("usage: larkspur-cli targets [check PROJECT.lkr ...]", 2);
  return listTargets();
}

}  // namespace larkspur::cli
