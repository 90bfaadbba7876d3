#include "links/bing_webmaster.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/curl_support.h"
#include "core/fixed_text.h"
#include "core/link_details.h"
#include "core/link_list_edit.h"
#include "core/link_record.h"
#include "core/service_hosts.h"
#include "core/text_check.h"
#include "core/web_address.h"

namespace larkspur::links {

namespace {

// The API's error codes (ApiErrorCode) by value.
const char* const kErrorCodeNames[] = {
    "None",        "InternalError", "UnknownError", "InvalidApiKey",  "ThrottleUser",  "ThrottleHost",
    "UserBlocked", "InvalidUrl",    "InvalidParameter", "TooManySites", "UserNotFound", "NotFound",
    "AlreadyExists", "NotAllowed",  "NotAuthorized", "UnexpectedState", "Deprecated",
};
constexpr int64_t kInvalidApiKey = 3;
constexpr int64_t kThrottleUser = 4;
constexpr int64_t kThrottleHost = 5;

std::string escaped(std::string_view text) {
  return core::takeCurlText(curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size())));
}

std::string methodUrl(const char* method, const BingBacklinkOptions& options, const std::string& siteUrl) {
  return std::string(core::defaultServiceHost(core::Service::BingWebmaster)) + "/webmaster/api.svc/json/" + method +
         "?apikey=" + escaped(options.key) + "&siteUrl=" + escaped(siteUrl);
}

// The ErrorCode of a failure's answer, at its top or under "d".
std::optional<int64_t> errorCodeOf(const web::HttpAnswer& answer) {
  if (answer.body.find("ErrorCode") == std::string::npos) return std::nullopt;
  const nlohmann::json body = nlohmann::json::parse(answer.body, nullptr, false);
  for (const nlohmann::json* place : {&body, body.is_object() && body.contains("d") ? &body["d"] : nullptr}) {
    if (!place || !place->is_object()) continue;
    const auto code = place->find("ErrorCode");
    if (code != place->end() && code->is_number_integer()) return code->get<int64_t>();
  }
  return std::nullopt;
}

std::optional<KeyedCallEnd> judge(const web::HttpAnswer& answer) {
  const std::optional<int64_t> code = errorCodeOf(answer);
  if (code == kInvalidApiKey) return KeyedCallEnd::kRefused;
  if (code == kThrottleUser || code == kThrottleHost) return KeyedCallEnd::kThrottled;
  return std::nullopt;
}

// One page of an answer: (Url, AnchorText) of each item, and the pages in all.
struct ApiPage {
  std::vector<std::pair<std::string, std::string>> items;
  int64_t totalPages = 0;
};

std::optional<ApiPage> pageOf(const std::string& body, const char* listName, std::size_t maxItems) {
  const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
  if (!answer.is_object() || !answer.contains("d") || !answer["d"].is_object()) return std::nullopt;
  const nlohmann::json& d = answer["d"];
  ApiPage page;
  if (const auto total = d.find("TotalPages"); total != d.end() && total->is_number_integer()) {
    page.totalPages = total->get<int64_t>();
  }
  const auto list = d.find(listName);
  if (list == d.end() || list->is_null()) return page;
  if (!list->is_array()) return std::nullopt;
  for (const nlohmann::json& item : *list) {
    if (page.items.size() >= maxItems) break;
    if (!item.is_object()) continue;
    const auto url = item.find("Url");
    if (url == item.end() || !url->is_string()) continue;
    const auto anchor = item.find("AnchorText");
    page.items.emplace_back(url->get<std::string>(),
                            anchor != item.end() && anchor->is_string() ? anchor->get<std::string>() : std::string());
  }
  return page;
}

// The link text as it may be kept: blanks for control characters, nothing
// for a text that is not UTF-8, cut to what the details keep.
std::string keptAnchor(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  if (core::storedTextProblem(text)) return {};
  text.resize(core::fittingLength(text, core::kLinkDetailTextLimit + 1));
  return text;
}

class BacklinkRun {
 public:
  BacklinkRun(const std::string& siteUrl, core::LinkList& links, const core::Post& post,
              const BingBacklinkOptions& options, const core::Event* stop)
      : siteUrl_(siteUrl), links_(links), post_(post), options_(options), stop_(stop) {
    for (const core::LinkList::Ptr& record : links.snapshot()) {
      listed_.emplace(links.withLock([&] { return std::string(record->url.view()); }), record);
    }
  }

  BingBacklinkResult run() {
    std::unordered_set<std::string> targets;
    for (int page = 0; page < options_.maxSitePages && going(); ++page) {
      const std::optional<ApiPage> counts =
          ask(methodUrl("GetLinkCounts", options_, siteUrl_) + "&page=" + std::to_string(page), "Links");
      if (!counts) break;
      for (const auto& [target, unused] : counts->items) {
        if (!going()) break;
        if (targets.size() >= options_.maxTargets) {
          result_.limitReached = true;
          break;
        }
        if (targets.insert(target).second) readLinksTo(target);
      }
      if (page + 1 >= counts->totalPages || targets.size() >= options_.maxTargets) break;
      if (page + 1 == options_.maxSitePages) result_.limitReached = true;
    }
    return result_;
  }

 private:
  bool going() const { return !result_.stopped && result_.failure.empty() && !linksFull_; }

  void readLinksTo(const std::string& target) {
    const std::string link = nlohmann::json(target).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    for (int page = 0; page < options_.maxLinkPages && going(); ++page) {
      const std::optional<ApiPage> details = ask(
          methodUrl("GetUrlLinks", options_, siteUrl_) + "&link=" + escaped(link) + "&page=" + std::to_string(page),
          "Details");
      if (!details) return;
      for (auto& [url, anchor] : details->items) {
        if (!going()) return;
        take(url, keptAnchor(std::move(anchor)));
      }
      if (page + 1 >= details->totalPages) return;
      if (page + 1 == options_.maxLinkPages) result_.limitReached = true;
    }
  }

  // One request; the page it brings, or nothing when the run ends here.
  std::optional<ApiPage> ask(const std::string& url, const char* listName) {
    if (stop_ && stop_->isSet()) {
      result_.stopped = true;
      return std::nullopt;
    }
    web::HttpRequest request;
    request.url = url;
    request.maxBytes = options_.maxAnswerBytes;
    request.timeout = options_.timeout;
    const KeyedCall call = callKeyedService(request, stop_, options_.calls, judge);
    result_.requests += call.tries;
    if (call.end == KeyedCallEnd::kStopped) {
      result_.stopped = true;
      return std::nullopt;
    }
    if (call.end != KeyedCallEnd::kAnswered || call.answer.status != 200) {
      result_.failure = keyedCallSentence(call, kBingWebmasterTitle);
      const std::optional<int64_t> code = errorCodeOf(call.answer);
      if (call.end == KeyedCallEnd::kAnswered && code && *code >= 0 && *code < std::ssize(kErrorCodeNames)) {
        result_.failure.insert(result_.failure.size() - 1, std::string(" (") + kErrorCodeNames[*code] + ")");
      }
      return std::nullopt;
    }
    std::optional<ApiPage> page = pageOf(call.answer.body, listName, options_.maxItemsPerAnswer);
    if (!page) result_.failure = std::string(kBingWebmasterTitle) + " sent an answer that is not its JSON.";
    return page;
  }

  void take(const std::string& url, const std::string& anchor) {
    // Only pages on the web are links, and only whole addresses: one cut to
    // fit the record would name another page.
    if (!core::isWebAddress(url) || core::storedTextProblem(url)) return;
    if (url.size() >= decltype(core::LinkRecord::url)::kCapacity) return;
    if (!seen_.insert(url).second) return;
    if (result_.added + result_.updated >= options_.maxLinks) {
      result_.limitReached = true;
      linksFull_ = true;
      return;
    }
    if (const auto listed = listed_.find(url); listed != listed_.end()) {
      core::LinkRecord* record = listed->second.get();
      const bool changed = links_.withLock([&] {
        if (record->details.anchor == anchor) return false;
        record->details.anchor = anchor;
        return true;
      });
      if (!changed) return;
      ++result_.updated;
      if (post_) post_(core::Message{core::MessageId::kRecordChanged, record, -1, url});
      return;
    }
    core::LinkRecord record = core::zeroLinkRecord();
    record.url = url;
    record.details.anchor = anchor;
    record.add_time = core::linkTimeNow();
    // Someone may have added the same page by hand meanwhile.
    core::LinkRecord* added = links_.appendIfNewUrl(record);
    if (!added) return;
    ++result_.added;
    if (post_) post_(core::Message{core::MessageId::kLinkFound, added, 0, url});
  }

  const std::string& siteUrl_;
  core::LinkList& links_;
  const core::Post& post_;
  const BingBacklinkOptions& options_;
  const core::Event* stop_;
  std::unordered_map<std::string, core::LinkList::Ptr> listed_;
  std::unordered_set<std::string> seen_;
  bool linksFull_ = false;
  BingBacklinkResult result_;
};

}  // namespace

BingBacklinkResult searchBingBacklinks(const std::string& siteUrl, core::LinkList& links, const core::Post& post,
                                       const BingBacklinkOptions& options, const core::Event* stop) {
  return BacklinkRun(siteUrl, links, post, options, stop).run();
}

}  // namespace larkspur::links
