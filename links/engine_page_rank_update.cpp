#include "links/engine_page_rank_update.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "links/pagerank.h"

namespace larkspur::links {

std::optional<int32_t> queryHostRank(std::string_view host, const core::Event* stop) {
  int32_t rank = 0;
  if (queryPageRank(host, rank, nullptr, {}, stop) != 0) return std::nullopt;
  return rank;
}

EnginePageRankUpdate::EnginePageRankUpdate(core::Event& stop) : stop_(stop) {}

EnginePageRankUpdate::~EnginePageRankUpdate() { join(); }

HostsRankQuery openPageRankQuery(OpenPageRankOptions options) {
  return [options = std::move(options)](const std::vector<std::string>& hosts, const core::Event* stop) {
    std::vector<std::string> domains;
    for (const std::string& host : hosts) domains.push_back(rankDomain(host));
    DomainRanks asked = queryOpenPageRanks(domains, options, stop);
    HostRanks answer;
    answer.failure = std::move(asked.failure);
    for (std::size_t i = 0; i < hosts.size(); ++i) {
      if (const auto known = asked.ranks.find(domains[i]); known != asked.ranks.end()) {
        answer.ranks[hosts[i]] = known->second;
      }
    }
    return answer;
  };
}

bool EnginePageRankUpdate::startWorker(std::function<void()> walk) {
  if (running()) return false;
  join();  // a worker that has already finished
  stop_.reset();
  // Raised here rather than by the worker, so that a second Start Update
  // cannot slip in before the worker has begun.
  running_.store(1, std::memory_order_release);
  thread_ = std::thread([this, walk = std::move(walk)] {
    walk();
    running_.store(0, std::memory_order_release);
  });
  return true;
}

bool EnginePageRankUpdate::start(const core::EngineTable& engines, core::Post post, RankQuery query) {
  return startWorker([this, &engines, post = std::move(post), query = std::move(query)] {
    for (std::size_t i = 0; i < engines.size(); ++i) {
      core::EngineRecord* record = engines.at(i);
      const std::string host = core::hostOfUrl(record->submit_url.view());
      // A failed query says nothing about the rank: the stored one stays.
      if (const std::optional<int32_t> rank = query(host, &stop_)) {
        std::atomic_ref<int32_t>(record->rank).store(*rank, std::memory_order_release);
      }
      if (post) post({core::MessageId::kRecordChanged, record, static_cast<int64_t>(i), {}});
      if (stop_.isSet()) break;
    }
    if (post) post({core::MessageId::kPageRankFinished, nullptr, 0, {}});
  });
}

bool EnginePageRankUpdate::start(const core::EngineTable& engines, core::Post post, HostsRankQuery query) {
  return startWorker([this, &engines, post = std::move(post), query = std::move(query)] {
    std::vector<std::string> hosts;
    for (std::size_t i = 0; i < engines.size(); ++i) {
      hosts.push_back(core::hostOfUrl(engines.at(i)->submit_url.view()));
    }
    const HostRanks answer = query(hosts, &stop_);
    for (std::size_t i = 0; i < engines.size() && !stop_.isSet(); ++i) {
      core::EngineRecord* record = engines.at(i);
      // A host without a rank keeps the stored one.
      if (const auto known = answer.ranks.find(hosts[i]); known != answer.ranks.end()) {
        std::atomic_ref<int32_t>(record->rank).store(known->second, std::memory_order_release);
        if (post) post({core::MessageId::kRecordChanged, record, static_cast<int64_t>(i), {}});
      }
    }
    if (post && !answer.failure.empty()) post({core::MessageId::kJobNotice, nullptr, 0, answer.failure});
    if (post) post({core::MessageId::kPageRankFinished, nullptr, 0, {}});
  });
}

void EnginePageRankUpdate::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace larkspur::links
