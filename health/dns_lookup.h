#pragma once
// Name look-ups of the target check, through c-ares: a host's A and AAAA
// records and its domain's NS records asked at once, with NXDOMAIN told apart
// from SERVFAIL and from silence.

#include <chrono>
#include <string>
#include <vector>

#include "core/event.h"

namespace larkspur::health {

enum class DnsOutcome {
  kFound,       // at least one address
  kNoName,      // NXDOMAIN: the name does not exist
  kNoAddress,   // the name exists but has no A or AAAA record
  kServerFail,  // SERVFAIL, REFUSED or a malformed answer
  kTimeOut,     // no answer within the time given
  kStopped,     // the stop event was set
  kError,       // the look-up could not be made (no resolver configuration, ...)
};

struct DnsAnswer {
  DnsOutcome outcome = DnsOutcome::kError;
  std::vector<std::string> addresses;    // IPv4 first, then IPv6, as text
  std::vector<std::string> nameServers;  // of the domain asked for NS; lower case, no trailing dot
  std::string error;                     // c-ares' text when not found
};

class DnsResolver {
 public:
  // `server`: "HOST[:PORT]" or "[IPV6]:PORT" of the one server to ask;
  // empty: the system's resolver configuration (/etc/resolv.conf).
  explicit DnsResolver(std::string server = {});

  // Asks for `host`'s A and AAAA records and, when `nsDomain` is not empty,
  // its NS records, all at once; returns within `timeout`, or within about
  // 100 ms of `stop` being set.
  DnsAnswer lookUp(const std::string& host, const std::string& nsDomain, std::chrono::milliseconds timeout,
                   const core::Event& stop) const;

 private:
  std::string server_;
};

// Whether `server` can be given to DnsResolver: "" when it can, else the
// error sentence.
std::string dnsServerError(const std::string& server);

}  // namespace larkspur::health
