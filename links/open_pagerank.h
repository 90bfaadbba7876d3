#pragma once
// Domain ranks from Open PageRank, asked with the user's key, many domains a
// request:
//
//   GET https://openpagerank.com/api/v1.0/getPageRank?domains[]=a.com&domains[]=b.com
//   API-OPR: KEY
//
// with at most 100 domains in one request. It answers
//
//   {"status_code": 200,
//    "response": [{"status_code": 200, "error": "", "page_rank_integer": 5,
//                  "page_rank_decimal": 4.6, "rank": "1234", "domain": "a.com"},
//                 {"status_code": 404, "error": "Domain not found",
//                  "page_rank_integer": 0, "page_rank_decimal": 0, "rank": null,
//                  "domain": "b.com"}],
//    "last_updated": "..."}
//
// A domain whose item is not 200 is one the service does not know: it gets
// no rank, and whoever stores ranks keeps the one stored. Only the domains
// asked in a request are taken from its answer.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "core/event.h"
#include "links/keyed_service_call.h"

namespace larkspur::links {

inline constexpr std::size_t kOpenPageRankBatch = 100;
inline constexpr char kOpenPageRankTitle[] = "Open PageRank";

struct OpenPageRankOptions {
  std::string key;  // empty: Open PageRank is not asked
  KeyedCallPolicy calls;
  std::size_t maxAnswerBytes = 1024 * 1024;
  std::chrono::seconds timeout{30};
};

struct DomainRanks {
  std::map<std::string, int32_t> ranks;  // 0 to 10, for the domains the service knows
  int requests = 0;
  std::string failure;  // why some domains were not asked (or not answered); empty when all were
  bool stopped = false;
};

// The domain a host is ranked by: the host in lower case without a leading
// "www."; empty for a host that is no domain name (an address, or one with
// characters a domain name has not).
std::string rankDomain(std::string_view host);

// Asks the ranks of `domains` (each a rankDomain(); repeats are asked once),
// kOpenPageRankBatch a request. A refused key, a service that keeps asking to
// slow down or does not answer ends the run with `failure` set; the ranks
// received until then are kept. `stop` ends it within a second.
DomainRanks queryOpenPageRanks(std::span<const std::string> domains, const OpenPageRankOptions& options,
                               const core::Event* stop);

}  // namespace larkspur::links
