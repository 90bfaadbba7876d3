#include "links/link_info_update.h"

#include <optional>
#include <string>

#include "core/fixed_text.h"
#include "core/link_record.h"
#include "links/email_harvest.h"
#include "links/pagerank.h"

namespace larkspur::links {

LinkInfoResult runLinkInfoUpdate(core::LinkList& links, LinkInfoFlags flags, core::Coordination& coordination,
                                 const core::Post& post, const LinkInfoOptions& options) {
  LinkInfoResult result;
  for (std::size_t i = 0; i < links.size(); ++i) {
    // Holding the record keeps it alive even if the user deletes it now; the
    // writes then go to a record nobody sees any more.
    const core::LinkList::Ptr record = links.at(i);
    if (!record) break;
    core::LinkRecord copy = links.withLock([&] { return *record; });
    const std::string url(core::fieldView(copy.url));
    bool changed = false;
    bool announce = false;

    if (flags.ip) {
      if (std::optional<std::string> ip = lookUpIp(url, options.resolver)) core::copyText(copy.ip, *ip);
      links.withLock([&] {
        if (core::fieldView(copy.ip) != core::fieldView(record->ip)) {
          core::copyText(record->ip, core::fieldView(copy.ip));
          changed = true;
        }
      });
    }
    if (flags.rank) {
      int32_t rank = 0;
      // A query that never reached the service says nothing about the rank:
      // the stored one stays.
      const bool answered = queryPageRank(url, rank, nullptr, options.rankFetch, &coordination.stop) == 0;
      links.withLock([&] {
        if (answered && rank != record->page_rank) {
          record->page_rank = rank;
          changed = true;
        }
      });
    }
    if (flags.email) {
      std::string email;
      if (harvestEmail(url, email, options.emailFetch, &coordination.stop) == kEmailFound) {
        core::copyText(copy.email, email);
      }
      bool emailChanged = false;
      links.withLock([&] {
        if (core::fieldView(copy.email) != core::fieldView(record->email)) {
          core::copyText(record->email, core::fieldView(copy.email));
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
