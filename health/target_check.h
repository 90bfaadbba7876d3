#pragma once
// The target check: whether a target's add-URL page still belongs to the
// directory it was. For each target the host is resolved (A, AAAA and the
// domain's NS records at once), the page is fetched from the address found
// (redirects followed by hand, each one resolved the same way, at most five,
// on the target's registrable domain), and the page is read: the markers of a
// parked domain, and the form a session would fill. The outcome is one
// verdict (core/target_health.h) with its reason in plain words.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/engine_record.h"
#include "core/event.h"

namespace larkspur::health {

inline constexpr int kDefaultJobs = 64;
inline constexpr int kMaxJobs = 512;
inline constexpr int kRequestsPerHost = 2;
inline constexpr std::chrono::milliseconds kDefaultDeadline{20'000};
inline constexpr int kMaxRedirects = 5;

struct CheckOptions {
  int jobs = kDefaultJobs;  // targets checked at once
  // Each target's whole check (name look-up, redirects, page) ends within it.
  std::chrono::milliseconds deadline = kDefaultDeadline;
  // "HOST:PORT" (or "HOST", port 53) of the name server every look-up asks;
  // empty: the system's resolver configuration.
  std::string dnsServer;
};

struct Verdict {
  std::string verdict;  // one of core::kHealthVerdicts
  std::string reason;   // plain words, at most 259 bytes
  std::string checked;  // when, "YYYY-MM-DDTHH:MM:SSZ"
};

// Checks one target. Never throws; a target that cannot be checked (a URL
// that is not http(s), an empty host, a name longer than DNS allows) gets a
// verdict with a reason. When `stop` is set the check ends within a second
// with "unknown".
Verdict checkTarget(const core::EngineRecord& target, const CheckOptions& options, const core::Event& stop);

// Checks `targets` with up to options.jobs at once, at most two requests per
// host at a time. `done` is called as each target ends, from the worker that
// checked it, one call at a time, with the target's index in `targets`.
// Returns when every target has been checked, or, once `stop` is set, within
// a second: targets not reached get no call. Returns how many got a verdict.
std::size_t checkTargets(const std::vector<core::EngineRecord>& targets, const CheckOptions& options,
                         const core::Event& stop, const std::function<void(std::size_t, const Verdict&)>& done);

// Puts a verdict into the target's record.
void applyVerdict(core::EngineRecord& record, const Verdict& verdict);

}  // namespace larkspur::health
