#pragma once
// The link info update: walks the whole Link list and refreshes, for every
// link, any of its host's IP address, its PageRank and a contact e-mail found
// by the e-mail harvest. Changed fields are written into the record under the
// list's lock and announced with a link-changed message (record, index).
//
// With an Open PageRank key in the options the ranks come from that service
// instead of the toolbar query: the domains of every link are asked first,
// a hundred a request, and each link takes its domain's rank (a domain the
// service does not know keeps the stored ranks).

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/coordination.h"
#include "core/link_list.h"
#include "core/messages.h"
#include "links/ip_lookup.h"
#include "links/open_pagerank.h"
#include "web/page_fetch.h"

namespace larkspur::links {

struct LinkInfoFlags {
  bool ip = false;
  bool rank = false;
  bool email = false;
};

// The four commands' choices.
inline constexpr LinkInfoFlags kGetAll{true, true, true};
inline constexpr LinkInfoFlags kGetPageRank{false, true, false};
inline constexpr LinkInfoFlags kGetIpAddress{true, false, false};
inline constexpr LinkInfoFlags kGetEmailAddress{false, false, true};

// Longest wait for one look-up of a link: the rank query or the e-mail
// search (connection, silence and the whole transfer), as the name look-up.
inline constexpr std::chrono::milliseconds kLookUpDeadline = kNameLookUpDeadline;
// Look-ups of one kind that fail in a row (no answer at all, as opposed to
// an answer that finds nothing) before that service is asked no more in the
// run, and what is said of it then, once.
inline constexpr int kSilentServiceLimit = 3;
inline constexpr char kRankServiceSilent[] = "The rank service does not answer: ranks left as they were.";
inline constexpr char kEmailServiceSilent[] =
    "The e-mail search does not answer: e-mail addresses left as they were.";
inline constexpr char kNameServiceSilent[] = "The name service does not answer: IP addresses left as they were.";

// The fetch options of one look-up: every wait ends within `deadline`.
web::PageFetchOptions lookUpFetchOptions(std::chrono::milliseconds deadline = kLookUpDeadline);

struct LinkInfoOptions {
  HostResolver resolver = systemResolver();
  web::PageFetchOptions rankFetch = lookUpFetchOptions();   // PageRank queries
  OpenPageRankOptions openPageRank;                          // with a key: the ranks' source
  web::PageFetchOptions emailFetch = lookUpFetchOptions();  // e-mail searches
  // Called on the worker's thread after each link, with the number visited.
  std::function<void(std::size_t)> onVisited;
};

struct LinkInfoResult {
  std::size_t visited = 0;
  std::size_t changed = 0;  // links for which a message was posted
  bool stopped = false;     // the stop signal ended the walk
  // The services given up as silent, by their sentence; each is also posted
  // once as a job notice when it is given up.
  std::vector<std::string> silent;
};

// The worker's walk on the calling thread (run it in a CountedThread): the
// list's length is read again after every link, so links appended meanwhile
// are visited too; once the stop signal is set the walk ends after the
// current link. A service that fails kSilentServiceLimit look-ups in a row is
// asked no more; what it would have changed stays as stored.
LinkInfoResult runLinkInfoUpdate(core::LinkList& links, LinkInfoFlags flags, core::Coordination& coordination,
                                 const core::Post& post, const LinkInfoOptions& options = {});

}  // namespace larkspur::links
