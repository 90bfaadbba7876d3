#pragma once
// The project file: RC4 over a serialised Property table holding the Website
// profile, each target's name, submit state, message and rank, and the Link
// list.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/announce_state.h"
#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/link_list.h"
#include "core/ppc_list.h"
#include "core/status.h"
#include "core/website_profile.h"

namespace larkspur::core {

// The message shown when a project's content does not parse.
inline constexpr const char* kDataErrorMessage = "Data error!";

// Zeroed link rows a saved count may add beyond the rows the file holds; a
// larger count can only come from a damaged file and is cut to this.
inline constexpr int32_t kMaxMissingLinkRows = 10000;

// The enciphered project buffer, or nullopt when it cannot be built.
std::optional<std::vector<uint8_t>> buildProjectBuffer(const WebsiteProfile& profile,
                                                       const EngineTable& engines,
                                                       const LinkList& links);
// The same, with the announcement state's entries after every other entry; an
// empty state gives the same bytes as the form above.
std::optional<std::vector<uint8_t>> buildProjectBuffer(const WebsiteProfile& profile,
                                                       const EngineTable& engines,
                                                       const LinkList& links,
                                                       const AnnounceState& announce);

// Deciphers and loads a project buffer into tables the caller has cleared:
// builds the Engine table from `engineSource` (stopping at the first empty
// name) and merges the saved states by name, refills the PPC list, appends the
// saved links and reads the profile texts, then recomputes the host name.
// When the content does not parse, or a count in it (the rows or columns of a
// table, the saved link or target count) is more than its bytes could hold
// (one 10-byte cell header per row or column), nothing changes and the result
// carries "Data error!"; so does a link or target table whose rows hold no
// cells. Nothing is built from a count before it is checked.
Status loadProjectBuffer(std::vector<uint8_t> buffer, WebsiteProfile& profile,
                         EngineTable& engines, LinkList& links, PpcList& ppc,
                         std::span<const EngineRecord> engineSource);
// The same, also reading the announcement state into `announce` (emptied
// first; left unchanged when the content does not parse).
Status loadProjectBuffer(std::vector<uint8_t> buffer, WebsiteProfile& profile,
                         EngineTable& engines, LinkList& links, PpcList& ppc,
                         std::span<const EngineRecord> engineSource, AnnounceState& announce);

}  // namespace larkspur::core
