#include "health/target_check.h"

#include <arpa/inet.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

#include "core/ascii_text.h"
#include "core/bounded_text.h"
#include "core/curl_support.h"
#include "core/target_health.h"
#include "core/utc_time.h"
#include "health/dns_lookup.h"
#include "health/host_gate.h"
#include "health/page_probe.h"
#include "health/page_reading.h"
#include "health/parking_signals.h"
#include "health/registrable_domain.h"

namespace larkspur::health {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxLabel = 63;
constexpr std::chrono::milliseconds kNameServerPatience{6'000};

struct Address {
  std::string host;  // without brackets
  int port = 0;
};

// The host and port of an http(s) URL, or the reason there is none.
std::optional<Address> addressOf(const std::string& url, std::string& reason) {
  core::CurlUrl parsed = core::parsedCurlUrl(url, CURLU_NON_SUPPORT_SCHEME);
  const std::optional<std::string> scheme = parsed ? core::curlUrlPart(parsed.get(), CURLUPART_SCHEME) : std::nullopt;
  if (!scheme || (*scheme != "http" && *scheme != "https")) {
    reason = "the add-URL address is not an http or https address";
    return std::nullopt;
  }
  const std::optional<std::string> host = core::curlUrlPart(parsed.get(), CURLUPART_HOST);
  const std::optional<std::string> port = core::curlUrlPart(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!host || host->empty()) {
    reason = "the add-URL address has no host";
    return std::nullopt;
  }
  Address address{core::asciiLower(*host), port ? std::atoi(port->c_str()) : 0};
  if (address.host.size() > 2 && address.host.front() == '[') {
    address.host = address.host.substr(1, address.host.size() - 2);
  }
  return address;
}

bool isIpAddress(const std::string& host) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, host.c_str(), bytes) == 1 || inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

bool nameFitsDns(std::string_view host) {
  if (host.size() > kMaxHostName) return false;
  std::size_t start = 0;
  while (start <= host.size()) {
    std::size_t dot = host.find('.', start);
    if (dot == std::string_view::npos) dot = host.size();
    if (dot - start > kMaxLabel) return false;
    start = dot + 1;
  }
  return true;
}

std::string seconds(std::chrono::milliseconds time) {
  const long long s = (time.count() + 999) / 1000;
  return std::to_string(s) + (s == 1 ? " second" : " seconds");
}

// A check's outcome; `stopped` ones are not reported.
struct Outcome {
  Verdict verdict;
  bool stopped = false;
};

class Check {
 public:
  Check(const core::EngineRecord& target, const CheckOptions& options, const core::Event& stop, HostGate* gate)
      : target_(target),
        options_(options),
        stop_(stop),
        gate_(gate),
        until_(Clock::now() + options.deadline),
        resolver_(options.dnsServer),
        signals_(builtInParkingSignals()) {}

  Outcome run() {
    std::string url = target_.submit_url.str();
    std::string domain;
    for (int hop = 0;; ++hop) {
      std::string reason;
      const std::optional<Address> address = addressOf(url, reason);
      if (!address) return end(core::kHealthUnknown, reason);
      if (!nameFitsDns(address->host)) return end(core::kHealthGone, "the host name is longer than DNS allows");
      if (hop == 0) domain = registrableDomain(address->host);

      std::vector<std::string> addresses;
      if (isIpAddress(address->host)) {
        addresses.push_back(address->host);
      } else {
        // A name server that has not answered in 6 seconds will not; and
        // one that answers later would most likely say SERVFAIL, which
        // gives the same verdict.
        dnsBudget_ = std::min(left(), kNameServerPatience);
        const DnsAnswer answer = resolver_.lookUp(address->host, hop == 0 ? domain : std::string(), dnsBudget_, stop_);
        if (hop == 0) {
          for (const std::string& server : answer.nameServers) {
            if (std::string service = signals_.parkingServiceOf(server); !service.empty()) {
              return end(core::kHealthParked, "name servers at " + service);
            }
          }
        }
        if (std::optional<Outcome> failed = dnsFailure(answer, address->host)) return *failed;
        addresses = answer.addresses;
      }

      if (gate_ && !gate_->enter(address->host, until_, stop_)) return timeOrStop();
      HostPlace place(gate_, address->host);
      const ProbeAnswer page = probePage(url, address->host, address->port, addresses, until_, stop_);
      if (page.stopped || stop_.isSet()) return stopped();
      if (page.result != CURLE_OK) return transferFailure(page, address->host);

      if (page.status >= 300 && page.status < 400) {
        if (page.location.empty()) return end(core::kHealthUnknown, "the page redirects without saying where");
        if (hop == kMaxRedirects) return end(core::kHealthUnknown, "the page redirects more than 5 times");
        std::string where;
        const std::optional<Address> next = addressOf(page.location, where);
        if (!next) return end(core::kHealthMoved, "the page sends to " + page.location);
        if (std::string market = signals_.marketplaceOf(next->host); !market.empty()) {
          return end(core::kHealthParked, "the page sends to the domain marketplace " + market);
        }
        for (const std::string& label : signals_.hopLabels) {
          if (next->host.starts_with(label + ".") && next->host != address->host) {
            return end(core::kHealthParked, "the page sends through " + next->host + ", a parking hop");
          }
        }
        if (registrableDomain(next->host) != domain) return end(core::kHealthMoved, "the page moved to " + page.location);
        url = page.location;
        continue;
      }
      if (page.status >= 200 && page.status < 300) {
        PageVerdict read = readPage(target_, page.body, url, page.contentType, signals_);
        return end(read.verdict, read.reason);
      }
      return statusVerdict(page.status);
    }
  }

 private:
  std::chrono::milliseconds left() const {
    return std::max(std::chrono::milliseconds(1),
                    std::chrono::duration_cast<std::chrono::milliseconds>(until_ - Clock::now()));
  }

  Outcome end(std::string_view verdict, std::string_view reason) const {
    Outcome outcome;
    outcome.verdict.verdict = verdict;
    outcome.verdict.reason = core::BoundedText<260>(reason).str();
    outcome.verdict.checked = core::utcText(std::chrono::system_clock::now());
    return outcome;
  }
  Outcome stopped() const {
    Outcome outcome = end(core::kHealthUnknown, "the check was stopped");
    outcome.stopped = true;
    return outcome;
  }
  Outcome timeOrStop() const {
    if (stop_.isSet()) return stopped();
    return end(core::kHealthUnknown, "no answer within " + seconds(options_.deadline));
  }

  std::optional<Outcome> dnsFailure(const DnsAnswer& answer, const std::string& host) const {
    switch (answer.outcome) {
      case DnsOutcome::kFound:
        return std::nullopt;
      case DnsOutcome::kNoName:
        return end(core::kHealthGone, "the name " + host + " does not exist (NXDOMAIN)");
      case DnsOutcome::kNoAddress:
        return end(core::kHealthGone, "the name " + host + " has no address");
      case DnsOutcome::kServerFail:
        return end(core::kHealthUnknown, "the name server failed to answer for " + host + " (" + answer.error + ")");
      case DnsOutcome::kTimeOut:
        return end(core::kHealthUnknown, "no answer from the name server for " + host + " within " +
                                             seconds(dnsBudget_));
      case DnsOutcome::kStopped:
        return stopped();
      case DnsOutcome::kError:
        break;
    }
    return end(core::kHealthUnknown, "the name " + host + " could not be looked up: " + answer.error);
  }

  Outcome transferFailure(const ProbeAnswer& page, const std::string& host) const {
    switch (page.result) {
      case CURLE_COULDNT_CONNECT:
        return end(core::kHealthUnreachable, host + " refused the connection");
      case CURLE_RECV_ERROR:
      case CURLE_SEND_ERROR:
      case CURLE_GOT_NOTHING:
        return end(core::kHealthUnreachable, "the connection to " + host + " was reset without an answer");
      case CURLE_SSL_CONNECT_ERROR:
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CERTPROBLEM:
      case CURLE_SSL_CIPHER:
      case CURLE_SSL_ISSUER_ERROR:
      case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      case CURLE_SSL_INVALIDCERTSTATUS:
        return end(core::kHealthUnreachable, "the secure connection to " + host + " failed: " + page.error);
      case CURLE_ABORTED_BY_CALLBACK:
      case CURLE_OPERATION_TIMEDOUT:
        return timeOrStop();
      default:
        return end(core::kHealthUnknown, "the page could not be read: " + page.error);
    }
  }

  Outcome statusVerdict(long status) const {
    const std::string code = std::to_string(status);
    if (status == 404 || status == 410) {
      return end(core::kHealthGone, "the page answers " + code + (status == 404 ? " Not Found" : " Gone"));
    }
    if (status == 429) return end(core::kHealthUnknown, "the server asks to slow down (429)");
    if (status == 403) return end(core::kHealthUnknown, "the server refused the page (403), perhaps a bot challenge");
    if (status >= 500) return end(core::kHealthUnknown, "the server failed (HTTP " + code + ")");
    return end(core::kHealthUnknown, "the page answers HTTP " + code);
  }

  const core::EngineRecord& target_;
  const CheckOptions& options_;
  const core::Event& stop_;
  HostGate* gate_;
  const Clock::time_point until_;
  const DnsResolver resolver_;
  const ParkingSignals& signals_;
  std::chrono::milliseconds dnsBudget_{0};
};

}  // namespace

Verdict checkTarget(const core::EngineRecord& target, const CheckOptions& options, const core::Event& stop) {
  return Check(target, options, stop, nullptr).run().verdict;
}

std::size_t checkTargets(const std::vector<core::EngineRecord>& targets, const CheckOptions& options,
                         const core::Event& stop, const std::function<void(std::size_t, const Verdict&)>& done) {
  HostGate gate(kRequestsPerHost);
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> reported{0};
  std::mutex reporting;
  auto work = [&] {
    for (std::size_t i = next++; i < targets.size() && !stop.isSet(); i = next++) {
      const Outcome outcome = Check(targets[i], options, stop, &gate).run();
      if (outcome.stopped) break;
      std::lock_guard lock(reporting);
      ++reported;
      if (done) done(i, outcome.verdict);
    }
  };
  const auto workers = static_cast<std::size_t>(std::clamp(options.jobs, 1, kMaxJobs));
  std::vector<std::jthread> threads;
  for (std::size_t t = 0; t < std::min(workers, targets.size()); ++t) threads.emplace_back(work);
  threads.clear();  // joins
  return reported;
}

void applyVerdict(core::EngineRecord& record, const Verdict& verdict) {
  record.health = verdict.verdict;
  record.health_reason = verdict.reason;
  record.health_checked = verdict.checked;
}

}  // namespace larkspur::health
