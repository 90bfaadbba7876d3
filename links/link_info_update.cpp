#include "links/link_info_update.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "core/link_record.h"
#include "links/email_harvest.h"
#include "links/pagerank.h"

namespace larkspur::links {

web::PageFetchOptions lookUpFetchOptions(std::chrono::milliseconds deadline) {
  web::PageFetchOptions options;
  options.connectTimeout = deadline;
  options.stallTimeout = deadline;
  options.deadline = deadline;
  return options;
}

namespace {

// One kind of look-up across the run: failures in a row, and whether the
// service has been given up.
class ServiceWatch {
 public:
  ServiceWatch(const char* sentence, LinkInfoResult& result, const core::Post& post)
      : sentence_(sentence), result_(result), post_(post) {}

  bool asking() const { return !givenUp_; }
  // Notes how a look-up went: answered, or failed without an answer.
  void note(bool answered) {
    failures_ = answered ? 0 : failures_ + 1;
    if (failures_ < kSilentServiceLimit || givenUp_) return;
    givenUp_ = true;
    result_.silent.emplace_back(sentence_);
    if (post_) post_(core::Message{core::MessageId::kJobNotice, nullptr, 0, sentence_});
  }

 private:
  const char* sentence_;
  LinkInfoResult& result_;
  const core::Post& post_;
  int failures_ = 0;
  bool givenUp_ = false;
};

// The ranks of the domains of every link, from Open PageRank. Why some were
// not asked is posted as a job notice and kept with the silent services.
std::map<std::string, int32_t> openPageRanks(const core::LinkList& links, core::Coordination& coordination,
                                             const core::Post& post, const OpenPageRankOptions& options,
                                             LinkInfoResult& result) {
  std::vector<std::string> domains;
  for (const core::LinkList::Ptr& record : links.snapshot()) {
    const std::string url = links.withLock([&] { return std::string(record->url.view()); });
    if (std::string domain = rankDomain(core::hostOfUrl(url)); !domain.empty()) domains.push_back(std::move(domain));
  }
  DomainRanks ranks = queryOpenPageRanks(domains, options, &coordination.stop);
  if (!ranks.failure.empty()) {
    result.silent.push_back(ranks.failure);
    if (post) post(core::Message{core::MessageId::kJobNotice, nullptr, 0, ranks.failure});
  }
  return std::move(ranks.ranks);
}

}  // namespace

LinkInfoResult runLinkInfoUpdate(core::LinkList& links, LinkInfoFlags flags, core::Coordination& coordination,
                                 const core::Post& post, const LinkInfoOptions& options) {
  LinkInfoResult result;
  const bool openPageRank = flags.rank && !options.openPageRank.key.empty();
  const std::map<std::string, int32_t> domainRanks =
      openPageRank ? openPageRanks(links, coordination, post, options.openPageRank, result)
                   : std::map<std::string, int32_t>();
  if (openPageRank && coordination.stop.isSet()) {
    result.stopped = true;
    return result;
  }
  ServiceWatch names(kNameServiceSilent, result, post);
  ServiceWatch ranks(kRankServiceSilent, result, post);
  ServiceWatch emails(kEmailServiceSilent, result, post);
  for (std::size_t i = 0; i < links.size(); ++i) {
    // Holding the record keeps it alive even if the user deletes it now; the
    // writes then go to a record nobody sees any more.
    const core::LinkList::Ptr record = links.at(i);
    if (!record) break;
    core::LinkRecord copy = links.withLock([&] { return *record; });
    const std::string url(copy.url.view());
    bool changed = false;
    bool announce = false;

    const bool hasHost = !core::hostOfUrl(url).empty();
    if (flags.ip && names.asking()) {
      bool unanswered = false;
      if (std::optional<std::string> ip = lookUpIp(url, options.resolver, &unanswered, &coordination.stop)) {
        copy.ip = *ip;
      }
      if (hasHost && !coordination.stop.isSet()) names.note(!unanswered);
      links.withLock([&] {
        if (copy.ip != record->ip) {
          record->ip = copy.ip.view();
          changed = true;
        }
      });
    }
    if (openPageRank) {
      const auto known = domainRanks.find(rankDomain(core::hostOfUrl(url)));
      links.withLock([&] {
        if (known != domainRanks.end() && known->second != record->page_rank) {
          record->page_rank = known->second;
          changed = true;
        }
      });
    } else if (flags.rank && ranks.asking()) {
      int32_t rank = 0;
      // A query that never reached the service says nothing about the rank:
      // the stored one stays.
      const bool answered = queryPageRank(url, rank, nullptr, options.rankFetch, &coordination.stop) == 0;
      if (!coordination.stop.isSet()) ranks.note(answered);
      links.withLock([&] {
        if (answered && rank != record->page_rank) {
          record->page_rank = rank;
          changed = true;
        }
      });
    }
    // An address the user typed is never replaced by a harvested one.
    const bool emailIsUsers = (copy.details.userSet & core::kUserSetEmail) != 0;
    if (flags.email && emails.asking() && !emailIsUsers) {
      std::string email;
      const int harvested = harvestEmail(url, email, options.emailFetch, &coordination.stop);
      if (harvested == kEmailFound) copy.email.assign(email);
      // Without a host nothing was asked.
      if (hasHost && !coordination.stop.isSet()) emails.note(harvested != kEmailFailed);
      bool emailChanged = false;
      links.withLock([&] {
        if (copy.email != record->email) {
          record->email = copy.email.view();
          emailChanged = true;
        }
      });
      announce = emailChanged || changed;
    } else {
      announce = changed;
    }

    if (announce) {
      ++result.changed;
      if (post) post(core::Message{core::MessageId::kRecordChanged, record.get(), static_cast<int64_t>(i), url});
    }
    ++result.visited;
    if (options.onVisited) options.onVisited(result.visited);
    if (coordination.stop.isSet()) {
      result.stopped = true;
      break;
    }
  }
  return result;
}

}  // namespace larkspur::links
