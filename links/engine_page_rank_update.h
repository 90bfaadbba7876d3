#pragma once
// The engine page-rank update: a worker that asks the PageRank of every
// target's host, stores it in the record's rank (a query that fails leaves the
// stored rank as it was) and posts a record-changed message for each record,
// then a finished message. It stops after the
// record in hand when the stop signal is set. The Engine table must not be
// cleared or rebuilt while it runs: callers stop it and wait first.
//
// A query of many hosts at once (Open PageRank) is asked once for every
// target's host before the walk; why it left hosts without a rank is posted
// as a job notice before the finished message.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/engine_table.h"
#include "core/event.h"
#include "core/messages.h"
#include "links/open_pagerank.h"

namespace larkspur::links {

// The rank of a host: a digit 0 to 9, nothing when the query fails. `stop`
// (the update's stop signal) cuts a query short.
using RankQuery = std::function<std::optional<int32_t>(std::string_view host, const core::Event* stop)>;

// Asks the toolbar query service.
std::optional<int32_t> queryHostRank(std::string_view host, const core::Event* stop = nullptr);

// The ranks of many hosts: those known, by host, and why some are not.
struct HostRanks {
  std::map<std::string, int32_t> ranks;
  std::string failure;
};
using HostsRankQuery = std::function<HostRanks(const std::vector<std::string>& hosts, const core::Event* stop)>;

// Asks Open PageRank for the hosts' domains with the key in `options`.
HostsRankQuery openPageRankQuery(OpenPageRankOptions options);

class EnginePageRankUpdate {
 public:
  explicit EnginePageRankUpdate(core::Event& stop);
  // Waits for a running worker; set the stop signal first to make that short.
  ~EnginePageRankUpdate();
  EnginePageRankUpdate(const EnginePageRankUpdate&) = delete;
  EnginePageRankUpdate& operator=(const EnginePageRankUpdate&) = delete;

  // Resets the stop signal, raises the running flag and starts the worker
  // over `engines`. Returns false, doing nothing, while a worker runs.
  bool start(const core::EngineTable& engines, core::Post post, RankQuery query = queryHostRank);
  // The same with one query for every host.
  bool start(const core::EngineTable& engines, core::Post post, HostsRankQuery query);

  // The PageRank-running flag: 1 from start() until the worker has posted
  // its finished message.
  int32_t runningFlag() const { return running_.load(std::memory_order_acquire); }
  bool running() const { return runningFlag() != 0; }

  // Waits for the worker thread to end (at once when none runs).
  void join();

 private:
  // Raises the flag and runs `walk` on the worker; false while one runs.
  bool startWorker(std::function<void()> walk);

  core::Event& stop_;
  std::atomic<int32_t> running_{0};
  std::thread thread_;
};

}  // namespace larkspur::links
