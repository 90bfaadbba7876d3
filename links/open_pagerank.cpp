#include "links/open_pagerank.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "core/ascii_text.h"
#include "core/service_hosts.h"

namespace larkspur::links {

namespace {

constexpr int32_t kHighestRank = 10;

std::string requestUrl(std::span<const std::string> domains) {
  std::string url(core::defaultServiceHost(core::Service::OpenPageRank));
  url += "/api/v1.0/getPageRank";
  char separator = '?';
  // rankDomain() leaves only letters, digits, dots and hyphens: nothing to escape.
  for (const std::string& domain : domains) {
    url += separator;
    url += "domains%5B%5D=";
    url += domain;
    separator = '&';
  }
  return url;
}

// The ranks an answer gives to the domains asked; nothing when it is not an
// answer of the service.
std::optional<std::map<std::string, int32_t>> ranksOf(const std::string& body, std::span<const std::string> asked) {
  const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
  if (!answer.is_object()) return std::nullopt;
  const auto items = answer.find("response");
  if (items == answer.end() || !items->is_array()) return std::nullopt;
  const std::set<std::string> wanted(asked.begin(), asked.end());
  std::map<std::string, int32_t> ranks;
  std::size_t seen = 0;
  for (const nlohmann::json& item : *items) {
    if (++seen > asked.size()) break;  // more items than domains asked: the rest is not theirs
    if (!item.is_object()) continue;
    const auto status = item.find("status_code");
    const auto domain = item.find("domain");
    const auto rank = item.find("page_rank_integer");
    if (status == item.end() || !status->is_number_integer() || status->get<int64_t>() != 200) continue;
    if (domain == item.end() || !domain->is_string()) continue;
    if (rank == item.end() || !rank->is_number()) continue;
    const std::string name = rankDomain(domain->get<std::string>());
    if (!wanted.contains(name)) continue;
    const double value = rank->get<double>();
    if (!(value >= 0 && value <= kHighestRank)) continue;
    ranks[name] = static_cast<int32_t>(value);
  }
  return ranks;
}

}  // namespace

std::string rankDomain(std::string_view host) {
  std::string domain = core::asciiLower(host);
  if (domain.starts_with("www.")) domain.erase(0, 4);
  const bool name = !domain.empty() && domain.size() <= 253 &&
                    std::all_of(domain.begin(), domain.end(), [](char c) {
                      return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
                    }) &&
                    std::any_of(domain.begin(), domain.end(), [](char c) {
                      return std::isalpha(static_cast<unsigned char>(c));
                    });
  return name ? domain : std::string();
}

DomainRanks queryOpenPageRanks(std::span<const std::string> domains, const OpenPageRankOptions& options,
                               const core::Event* stop) {
  DomainRanks result;
  std::vector<std::string> asked;
  for (const std::string& domain : std::set<std::string>(domains.begin(), domains.end())) {
    if (!domain.empty() && rankDomain(domain) == domain) asked.push_back(domain);
  }
  for (std::size_t start = 0; start < asked.size(); start += kOpenPageRankBatch) {
    const std::span<const std::string> batch(asked.data() + start, std::min(kOpenPageRankBatch, asked.size() - start));
    web::HttpRequest request;
    request.url = requestUrl(batch);
    request.headers.push_back("API-OPR: " + options.key);
    request.maxBytes = options.maxAnswerBytes;
    request.timeout = options.timeout;
    const KeyedCall call = callKeyedService(request, stop, options.calls);
    result.requests += call.tries;
    if (call.end == KeyedCallEnd::kStopped) {
      result.stopped = true;
      return result;
    }
    if (call.end != KeyedCallEnd::kAnswered || call.answer.status != 200) {
      result.failure = keyedCallSentence(call, kOpenPageRankTitle);
      return result;
    }
    std::optional<std::map<std::string, int32_t>> ranks = ranksOf(call.answer.body, batch);
    if (!ranks) {
      result.failure = std::string(kOpenPageRankTitle) + " sent an answer that is not its JSON.";
      return result;
    }
    result.ranks.merge(*ranks);
  }
  return result;
}

}  // namespace larkspur::links
