// The target check over the 342 built-in targets, their host names answered
// by a local name server and their pages served by the target farm, by
// construction: of every five targets four answer (most with a live form,
// the others a page without a form, a for-sale lander, a redirect to another
// domain, a 404 or a 500), and one never answers. The name server and the
// farm run in a child process, so the figures are the check's own.
//
//   unshare -n bash -c 'ip link set lo up; build/bench/health_check_bench [--time-out SECONDS]'
//
// Two runs with the defaults (64 at once, 20 s per target): (a) the silent
// fifth split between hosts whose name server never answers and hosts whose
// web server never answers; (b) the whole fifth silent at the web server,
// more silent targets than places, so some wait a deadline for a place.
// Goal for (a): at most 30 s and 100 MB.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_session_support.h"
#include "core/builtin_engines.h"
#include "core/event.h"
#include "health/target_check.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/dns_server.h"
#include "tests/support/silent_port.h"

namespace {

using namespace larkspur;

constexpr double kGoalSeconds = 30;
constexpr long kGoalKb = 100 * 1024;

// What the i-th answering target serves.
const char* const kPaths[] = {"/first-button/", "/first-button/",    "/first-button/",    "/health/no-form/",
                              "/first-button/", "/health/for-sale/", "/first-button/",    "/health/moved/",
                              "/first-button/", "/health/not-found/", "/first-button/", "/health/broken/"};

std::string hostOf(const std::string& url) {
  std::size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  const std::size_t end = url.find_first_of(":/?#", start);
  return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

struct Servers {
  pid_t pid = -1;
  int farmPort = 0;
  int dnsPort = 0;
  int silentPort = 0;
};

// Starts the farm, a silent port and a name server answering for `targets`
// in a child; every fifth target is silent, at the web server when
// `allSilentAtWeb`, else every other one at the name server.
Servers startServers(const std::vector<core::EngineRecord>& targets, bool allSilentAtWeb) {
  int ports[2];
  if (pipe(ports) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(ports[0]);
    farm::TargetFarm site;
    test::SilentPort silent;
    test::DnsServer dns;
    if (!site.start()) _exit(1);
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const std::string host = hostOf(targets[i].submit_url.str());
      const bool silentName = i % 5 == 4 && !allSilentAtWeb && (i / 5) % 2 == 0;
      dns.set(host, silentName ? test::DnsRule{test::DnsRule::kSilent, {}, {}}
                               : test::DnsRule{test::DnsRule::kAnswer, {"127.0.0.1"}, {}});
    }
    dns.set("www.elsewhere.example", {test::DnsRule::kAnswer, {"127.0.0.1"}, {}});
    const int sent[3] = {site.port(), dns.port(), silent.port()};
    if (write(ports[1], sent, sizeof sent) != sizeof sent) _exit(1);
    close(ports[1]);
    pause();
    _exit(0);
  }
  close(ports[1]);
  int got[3] = {0, 0, 0};
  const bool read_ok = read(ports[0], got, sizeof got) == sizeof got;
  close(ports[0]);
  if (!read_ok) return {};
  return {pid, got[0], got[1], got[2]};
}

void run(const char* title, bool allSilentAtWeb, std::chrono::seconds deadline) {
  std::vector<core::EngineRecord> targets;
  for (const core::EngineRecord& r : core::builtinEngines()) {
    if (r.name.empty()) break;
    targets.push_back(r);
  }
  const Servers servers = startServers(targets, allSilentAtWeb);
  if (servers.pid <= 0) {
    std::printf("%s: the servers did not start\n", title);
    return;
  }
  std::size_t answering = 0;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const std::string host = hostOf(targets[i].submit_url.str());
    const bool silent = i % 5 == 4;
    const int port = silent ? servers.silentPort : servers.farmPort;
    const std::string path = silent ? "/" : kPaths[answering++ % std::size(kPaths)];
    targets[i].submit_url = "http://" + host + ":" + std::to_string(port) + path;
    if (targets[i].submit_type == core::kSubmitDirectRequest) targets[i].submit_type = core::kSubmitFirstButton;
  }
  health::CheckOptions options;
  options.dnsServer = "127.0.0.1:" + std::to_string(servers.dnsPort);
  options.deadline = deadline;
  const core::Event stop;
  std::map<std::string, int> counts;
  const auto started = std::chrono::steady_clock::now();
  const std::size_t checked = health::checkTargets(
      targets, options, stop, [&](std::size_t, const health::Verdict& v) { ++counts[v.verdict]; });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  kill(servers.pid, SIGTERM);
  waitpid(servers.pid, nullptr, 0);

  const long peakKb = bench::statusKb("VmHWM:");
  std::printf("%s\n  %zu targets checked in %.1f s (goal %.0f s: %.2fx of it), peak %ld MB (goal %ld MB)\n  ", title,
              checked, seconds, kGoalSeconds, seconds / kGoalSeconds, peakKb / 1024, kGoalKb / 1024);
  for (const auto& [verdict, n] : counts) std::printf("%d %s  ", n, verdict.c_str());
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  auto deadline = std::chrono::duration_cast<std::chrono::seconds>(health::kDefaultDeadline);
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--time-out") == 0) deadline = std::chrono::seconds(std::atol(argv[i + 1]));
  }
  // Each run in a process of its own, so that its peak is its own.
  for (const bool allSilentAtWeb : {false, true}) {
    const char* title = allSilentAtWeb ? "(b) a fifth silent, all at the web server:"
                                       : "(a) a fifth silent, half at the name server, half at the web server:";
    bench::inChildProcess([&] {
      run(title, allSilentAtWeb, deadline);
      std::fflush(stdout);
      return 0;
    });
  }
  return 0;
}
