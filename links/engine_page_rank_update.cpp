#include "links/engine_page_rank_update.h"

#include <atomic>
#include <string>
#include <utility>

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

bool EnginePageRankUpdate::start(const core::EngineTable& engines, core::Post post, RankQuery query) {
  if (running()) return false;
  join();  // a worker that has already finished
  stop_.reset();
  // Raised here rather than by the worker, so that a second Start Update
  // cannot slip in before the worker has begun.
  running_.store(1, std::memory_order_release);
  thread_ = std::thread([this, &engines, post = std::move(post), query = std::move(query)] {
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
    running_.store(0, std::memory_order_release);
  });
  return true;
}

void EnginePageRankUpdate::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace larkspur::links
