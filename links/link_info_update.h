#pragma once
// The link info update: walks the whole Link list and refreshes, for every
// link, any of its host's IP address, its PageRank and a contact e-mail found
// by the e-mail harvest. Changed fields are written into the record under the
// list's lock and announced with a link-changed message (record, index).

#include <cstddef>
#include <functional>

#include "core/coordination.h"
#include "core/link_list.h"
#include "core/messages.h"
#include "links/ip_lookup.h"
#include "submit/page_fetch.h"

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

struct LinkInfoOptions {
  HostResolver resolver = systemResolver();
  submit::PageFetchOptions rankFetch;   // PageRank queries
  submit::PageFetchOptions emailFetch;  // e-mail searches
  // Called on the worker's thread after each link, with the number visited.
  std::function<void(std::size_t)> onVisited;
};

struct LinkInfoResult {
  std::size_t visited = 0;
  std::size_t changed = 0;  // links for which a message was posted
  bool stopped = false;     // the stop signal ended the walk
};

// The worker's walk on the calling thread (run it in a CountedThread): the
// list's length is read again after every link, so links appended meanwhile
// are visited too; once the stop signal is set the walk ends after the
// current link.
LinkInfoResult runLinkInfoUpdate(core::LinkList& links, LinkInfoFlags flags, core::Coordination& coordination,
                                 const core::Post& post, const LinkInfoOptions& options = {});

}  // namespace larkspur::links
