#pragma once
// Bing Webmaster Tools' JSON API (GetLinkCounts, GetUrlLinks) and Open
// PageRank (getPageRank) on one local server, for the tests of the services
// asked with the user's key; the code under test reaches them through the
// service base. Set the data before start(); `script`ed answers (status,
// Retry-After, body) go out first, one per request, whichever is asked.

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/local_server.h"

namespace larkspur::test {

struct ScriptedAnswer {
  int status = 200;
  std::string retryAfter;
  std::string body;
};

class FakeKeyServices {
 public:
  using Items = std::vector<std::pair<std::string, std::string>>;  // (Url, anchor text or count)

  FakeKeyServices(std::string bingKey, std::string pageRankKey)
      : bingKey_(std::move(bingKey)), pageRankKey_(std::move(pageRankKey)) {}

  std::map<std::string, Items> backlinks;  // Bing: each page of the site and the pages linking to it
  std::size_t perPage = 2;
  std::map<std::string, int> ranks;  // Open PageRank: the domains it knows
  std::atomic<int> bingRequests{0};
  std::atomic<int> pageRankRequests{0};
  std::atomic<std::size_t> largestBatch{0};

  void script(const std::vector<ScriptedAnswer>& answers) {
    std::lock_guard lock(mutex_);
    scripted_.assign(answers.begin(), answers.end());
  }
  std::string baseUrl() const { return server_.baseUrl(); }

  bool start() {
    server_.get("/webmaster/api.svc/json/(GetLinkCounts|GetUrlLinks)", [this](const auto& q, auto& r) {
      ++bingRequests;
      if (scripted(r)) return;
      if (q.get_param_value("apikey") != bingKey_) return answer(r, 401, R"({"ErrorCode":3})");
      if (q.matches[1] == "GetLinkCounts") {
        Items pages;
        for (const auto& [page, linking] : backlinks) pages.emplace_back(page, std::to_string(linking.size()));
        return answerPage(q, r, pages, "Links", "Count");
      }
      // The JSON endpoint takes `link` as a JSON string.
      const nlohmann::json link = nlohmann::json::parse(q.get_param_value("link"), nullptr, false);
      if (!link.is_string() || !backlinks.contains(link.get<std::string>())) return answer(r, 400, "{}");
      answerPage(q, r, backlinks.at(link.get<std::string>()), "Details", "AnchorText");
    });
    server_.get("/api/v1.0/getPageRank", [this](const auto& q, auto& r) {
      ++pageRankRequests;
      if (scripted(r)) return;
      if (q.get_header_value("API-OPR") != pageRankKey_) return answer(r, 401, R"({"status_code":401})");
      const std::size_t count = q.get_param_value_count("domains[]");
      largestBatch = std::max(largestBatch.load(), count);
      nlohmann::json items = nlohmann::json::array();
      for (std::size_t i = 0; i < count; ++i) {
        const std::string domain = q.get_param_value("domains[]", i);
        const auto known = ranks.find(domain);
        items.push_back({{"status_code", known == ranks.end() ? 404 : 200}, {"domain", domain},
                         {"page_rank_integer", known == ranks.end() ? 0 : known->second}});
      }
      answer(r, 200, nlohmann::json{{"status_code", 200}, {"response", items}}.dump());
    });
    return server_.start();
  }

 private:
  static void answer(httplib::Response& r, int status, const std::string& body) {
    r.status = status;
    r.set_content(body, "application/json; charset=utf-8");
  }
  bool scripted(httplib::Response& r) {
    std::lock_guard lock(mutex_);
    if (scripted_.empty()) return false;
    if (!scripted_.front().retryAfter.empty()) r.set_header("Retry-After", scripted_.front().retryAfter);
    answer(r, scripted_.front().status, scripted_.front().body);
    scripted_.pop_front();
    return true;
  }
  // One page (`page`, from 0) of `items`, as {"d": {LIST: [...], "TotalPages": N}}.
  void answerPage(const httplib::Request& q, httplib::Response& r, const Items& items, const char* list,
                  const char* second) const {
    const std::size_t page = std::stoul(q.has_param("page") ? q.get_param_value("page") : "0");
    nlohmann::json entries = nlohmann::json::array();
    for (std::size_t i = page * perPage; i < std::min(items.size(), (page + 1) * perPage); ++i) {
      entries.push_back({{"Url", items[i].first}, {second, items[i].second}});
    }
    const std::size_t pages = (items.size() + perPage - 1) / perPage;
    answer(r, 200, nlohmann::json{{"d", {{list, entries}, {"TotalPages", pages}}}}.dump());
  }

  std::string bingKey_;
  std::string pageRankKey_;
  std::mutex mutex_;
  std::deque<ScriptedAnswer> scripted_;
  LocalServer server_;
};

}  // namespace larkspur::test
