#pragma once
// The IndexNow side: the key, the endpoints, the answers and the requests
// that hand URLs to an endpoint (GET for one URL, POST for up to 10,000).

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/announce_state.h"
#include "core/event.h"
#include "core/status.h"

namespace larkspur::announce {

inline constexpr std::size_t kMaxUrlsPerRequest = 10000;
// Tries of one request while the endpoint answers 429.
inline constexpr int kMaxTries = 4;
// A longer wait than this is not waited for: the run ends and says when to retry.
inline constexpr std::chrono::seconds kMaxRetryWait{600};

// A fresh key: 32 lowercase hexadecimal characters from getrandom(2). Empty
// when the system gives no random bytes.
std::string generateKey();
// 8 to 128 characters of a-z A-Z 0-9 and '-'.
bool isValidKey(std::string_view key);

struct Endpoint {
  std::string name;  // "IndexNow", "Bing", ... or the host of a URL given
  std::string url;   // "https://HOST/indexnow"
};

// The shared endpoint, then each engine's.
std::span<const Endpoint> knownEndpoints();
// An endpoint by name (any case) or by an https URL (a bare host or "/" path
// gets "/indexnow"). nullopt with `error` set for anything else.
std::optional<Endpoint> resolveEndpoint(std::string_view nameOrUrl, std::string& error);

// The endpoint's answer as a sentence; 0 means no answer came.
std::string answerSentence(int code);
// 200 and 202: the URLs were taken.
inline bool answerAccepted(int code) { return code == 200 || code == 202; }

// The JSON body of a POST.
std::string requestBody(std::string_view host, std::string_view key, std::string_view keyLocation,
                        std::span<const std::string> urls);

struct CheckLine;  // announcer.h

// What a job reports and how it waits; a window sets these for its worker
// thread, the command line for its own.
struct RunHooks {
  // Set by Stop (or Ctrl-C); every wait and request ends within a second of it.
  const core::Event* stop = nullptr;
  // One line per step, called on the job's thread.
  std::function<void(const std::string&)> progress;
  // Each finding of the readiness check as it is made, on the job's thread.
  std::function<void(const CheckLine&)> checked;
  // The announcement's requests, called on the job's thread: once before the
  // first with `answer` null, then after each request with the entry logged
  // for its answer. `sent` counts the URLs of the requests made so far, of
  // `total` to announce.
  std::function<void(std::size_t sent, std::size_t total, const core::AnnounceLogEntry* answer)> requests;
  // Waits this long; false when the wait was cut short by the stop event.
  // Unset: waits on `stop` (or sleeps).
  std::function<bool(std::chrono::seconds)> wait;
  // The wall clock. Unset: std::chrono::system_clock::now.
  std::function<std::chrono::system_clock::time_point()> now;

  void say(const std::string& line) const {
    if (progress) progress(line);
  }
  bool stopped() const { return stop && stop->isSet(); }
  bool waitFor(std::chrono::seconds duration) const;
  std::chrono::system_clock::time_point clock() const;
};

struct SubmitOutcome {
  int code = 0;          // the last answer's HTTP status; 0 when none came
  std::string sentence;  // answerSentence(code), or why no answer came
  int tries = 0;
  bool stopped = false;
};

// Hands the URLs (at most kMaxUrlsPerRequest, all on `host`) to the endpoint:
// one URL by GET, more by POST. On 429 waits Retry-After (seconds or a date),
// or 5, 10, 20 seconds when absent, and tries again up to kMaxTries times.
SubmitOutcome submitUrls(const Endpoint& endpoint, std::string_view host, std::string_view key,
                         std::string_view keyLocation, bool keyAtDefaultPlace,
                         std::span<const std::string> urls, const RunHooks& hooks);

}  // namespace larkspur::announce
