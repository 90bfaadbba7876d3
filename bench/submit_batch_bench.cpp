// A batch over 30 targets of the target farm (every answer immediate):
// total time against the schedule floor, time of one submission session
// against a bare libcurl GET + POST of the same form (and, when given,
// against a peer doing the same steps on the same form: open it, fill it,
// submit it, read the answer), and peak memory.
//
//   build/bench/submit_batch_bench [--tick-ms N] [--runs N] [--peer COMMAND]
//
// COMMAND (words split at spaces, e.g. "python3 bench/peers/mechanize_session.py")
// is run with the form's address, the fields to fill as a JSON object and the
// number of runs, and prints "peer NAME" and "median_ms X": what it is and its
// time for one session.
//
// With the product tick (1000 ms) the batch takes about one second: the first
// target starts one tick after START, and every target that ends within the
// tick it was started in starts the next one at once (farm targets answer at
// once), so the schedule itself asks for one tick.

#include <curl/curl.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/coordination.h"
#include "core/curl_support.h"
#include "core/fixed_text.h"
#include "core/message_queue.h"
#include "bench/bench_session_support.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/batch.h"
#include "submit/batch_loop.h"
#include "submit/session_thread.h"
#include "submit/thread_starter.h"
#include "tests/fixtures/farm/target_farm.h"

namespace {

using larkspur::bench::benchProfile;
using larkspur::bench::jsonText;

using Clock = std::chrono::steady_clock;
using larkspur::core::copyText;

constexpr int kTargets = 30;

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

// One bare GET of the form page and one POST of the filled form, on a fresh
// handle, as the session's engine does them.
void bareGetAndPost(const std::string& base, const std::string& body) {
  const larkspur::core::CurlEasy easy(curl_easy_init());
  CURL* h = easy.get();
  const std::string form = base + "/first-button/";
  const std::string add = base + "/first-button/add";
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(h, CURLOPT_URL, form.c_str());
  curl_easy_perform(h);
  curl_easy_setopt(h, CURLOPT_URL, add.c_str());
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_perform(h);
}

struct PeerSession {
  std::string name;
  double ms = 0;
};

// The text after `key` and a space on a line of `output`, or nullopt.
std::optional<std::string> lineValue(const std::string& output, const std::string& key) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
  }
  return std::nullopt;
}

// Runs `command` (words split at spaces) with `arguments` and returns what it
// says it is and its time for one session, or nullopt when it failed.
std::optional<PeerSession> peerSession(const std::string& command, const std::vector<std::string>& arguments) {
  std::vector<std::string> words;
  std::istringstream split(command);
  for (std::string word; split >> word;) words.push_back(word);
  if (words.empty()) return std::nullopt;
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // Close-on-exec: the peer gets the pipe as its standard output only, and
  // none of the farm's sockets.
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the peer failed: %s\n", command.c_str());
    return std::nullopt;
  }
  const auto ms = lineValue(output, "median_ms");
  if (!ms) return std::nullopt;
  return PeerSession{lineValue(output, "peer").value_or(command), std::atof(ms->c_str())};
}

}  // namespace

int main(int argc, char** argv) {
  long tickMs = 1000;
  int runs = 50;
  std::string peerCommand;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--tick-ms") == 0) tickMs = std::atol(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--peer") == 0) peerCommand = argv[i + 1];
  }
  if (tickMs < 1 || runs < 1) {
    std::fprintf(stderr, "usage: submit_batch_bench [--tick-ms N] [--runs N] [--peer COMMAND]\n");
    return 2;
  }
  larkspur::core::curlGlobalInit();
  larkspur::farm::TargetFarm farm;
  if (!farm.start()) {
    std::fprintf(stderr, "cannot start the target farm\n");
    return 1;
  }
  const larkspur::core::WebsiteProfile profile = benchProfile();
  const larkspur::core::WordLists words = larkspur::core::buildWordLists(profile);

  // 1. One session against bare libcurl, on the first-button target.
  std::vector<double> session, bare;
  std::string postedBody;
  std::optional<PeerSession> peer;
  {
    larkspur::core::EngineRecord record = farm.target("first-button")->record;
    larkspur::core::Coordination coordination;
    larkspur::submit::SubmissionContext settings;
    settings.profile = &profile;
    settings.words = &words;
    settings.coordination = &coordination;
    for (int i = 0; i < runs + 3; ++i) {
      larkspur::core::EngineRecord r = record;
      const Clock::time_point t0 = Clock::now();
      larkspur::submit::runAutomaticSession(r, settings);
      if (i >= 3) session.push_back(millis(Clock::now() - t0));
      if (r.submit_state != "Submit-OK") {
        std::fprintf(stderr, "session did not succeed: %s\n", r.message.c_str());
        return 1;
      }
    }
    // The same body the session sent, rebuilt from what the farm received.
    const auto got = farm.received("first-button");
    for (const auto& [name, value] : got.back().fields) {
      if (!postedBody.empty()) postedBody += '&';
      postedBody += larkspur::core::takeCurlText(curl_easy_escape(nullptr, name.c_str(), 0)) + "=" +
                    larkspur::core::takeCurlText(curl_easy_escape(nullptr, value.c_str(), 0));
    }
    for (int i = 0; i < runs + 3; ++i) {
      const Clock::time_point t0 = Clock::now();
      bareGetAndPost(farm.baseUrl(), postedBody);
      if (i >= 3) bare.push_back(millis(Clock::now() - t0));
    }
    // The peer fills the form's text fields with the values the session sent.
    if (!peerCommand.empty()) {
      std::string fields;
      for (const char* name : {"url", "title", "description", "keywords", "contact_name", "email"}) {
        fields += (fields.empty() ? "{" : ",") + jsonText(name) + ":" + jsonText(got.back().field(name));
      }
      fields += "}";
      peer = peerSession(peerCommand, {farm.baseUrl() + "/first-button/", fields, std::to_string(runs)});
      if (!peer) return 1;
    }
  }

  // 2. The batch over 30 targets.
  std::vector<larkspur::farm::FarmTarget> quick;
  for (const auto& t : farm.targets()) {
    if (t.answersAtOnce) quick.push_back(t);
  }
  std::vector<std::unique_ptr<larkspur::core::EngineRecord>> records;
  std::vector<larkspur::core::EngineRecord*> list;
  for (int i = 0; i < kTargets; ++i) {
    auto r = std::make_unique<larkspur::core::EngineRecord>(quick[static_cast<std::size_t>(i) % quick.size()].record);
    r->name.assign(std::string(r->name.view()) + " #" + std::to_string(i + 1));
    list.push_back(r.get());
    records.push_back(std::move(r));
  }
  larkspur::core::Coordination coordination;
  larkspur::core::MessageQueue queue;
  larkspur::submit::SubmissionContext settings;
  settings.profile = &profile;
  settings.words = &words;
  settings.coordination = &coordination;
  settings.post = queue.poster();
  double batchMs = 0;
  int succeeded = 0, failed = 0;
  {
    larkspur::submit::ThreadStarter starter(settings);
    larkspur::submit::Batch batch(list, coordination, starter);
    std::atomic<bool> cancel{false};
    larkspur::submit::BatchLoopOptions options;
    options.tickPeriod = std::chrono::milliseconds(tickMs);
    const Clock::time_point t0 = Clock::now();
    larkspur::submit::runBatchLoop(batch, queue, cancel, options);
    batchMs = millis(Clock::now() - t0);
    succeeded = batch.succeeded();
    failed = batch.failed();
  }
  farm.stop();

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  // The first start waits one tick; the rest follow as the earlier ones end.
  const double floorMs = static_cast<double>(tickMs);
  const double sessionMs = median(session);
  const double bareMs = median(bare);
  std::printf("batch of %d farm targets, tick %ld ms: %.0f ms (%d succeeded, %d failed)\n", kTargets, tickMs,
              batchMs, succeeded, failed);
  std::printf("  schedule floor (the first start one tick after START, each next one as a target ends "
              "within its tick): %.0f ms; over the floor: %.0f ms (goal: at most 2 ticks)\n",
              floorMs, batchMs - floorMs);
  std::printf("one session (GET form, fill, POST, answer), median of %d: %.2f ms\n", runs, sessionMs);
  std::printf("bare libcurl GET + POST of the same form, median of %d: %.2f ms\n", runs, bareMs);
  std::printf("  ratio session / bare: %.2f (goal <= 1.5)\n", bareMs > 0 ? sessionMs / bareMs : 0.0);
  if (peer) {
    std::printf("%s, the same steps on the same form, median of %d: %.2f ms\n", peer->name.c_str(), runs, peer->ms);
    std::printf("  ratio session / %s: %.2f (goal <= 1.5)\n", peer->name.substr(0, peer->name.find(' ')).c_str(),
                peer->ms > 0 ? sessionMs / peer->ms : 0.0);
  }
  std::printf("peak RSS: %.1f MB (goal <= 50 MB)\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
