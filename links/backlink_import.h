#pragma once
// The import of a file of linking pages into the link list, for both front
// ends. What the file is comes from its first bytes and its header line:
// - a zip archive (Search Console's export of its Links tables): the tables
//   of linking pages in it;
// - a table whose header names a column of linking pages or sites
//   (backlink_table.h), comma-, semicolon- or tab-separated
//   (delimited_text.h);
// - anything else that is text: every line that holds "http" becomes a link
//   (core/link_import.h).
// The file is checked before it is read (a regular file of at most
// kImportFileLimit bytes) and read in bounded memory. Every row of a table is
// read before the list changes, so a file that cannot be read to its end
// adds nothing. A row whose linking page is in the list already (the same
// URL, blanks around it aside) fills that link's empty details and changes
// nothing else of it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/link_import.h"
#include "core/link_list.h"
#include "core/status.h"
#include "links/backlink_table.h"
#include "links/zip_entries.h"

namespace larkspur::links {

// The largest file an import reads.
inline constexpr std::uintmax_t kImportFileLimit = std::uintmax_t{200} << 20;

struct BacklinkImportOptions {
  std::string websiteHost;  // the project's: rows whose target is on another host are left out
  int32_t now = 0;          // the time added of new links
  std::size_t maxLinks = core::kImportMaxLinks;
  std::uintmax_t fileLimit = kImportFileLimit;
  ZipLimits zip;
};

struct BacklinkImport {
  core::Status status;     // a failure has added nothing
  bool plainText = false;  // no known header: `plain` tells what the text import did
  core::ImportResult plain;

  // Tables and zip archives.
  std::size_t rows = 0;  // read, blank ones aside
  std::size_t added = 0;
  std::size_t alreadyThere = 0;   // rows of pages that were in the list before
  std::size_t repeated = 0;       // rows of a page an earlier row gave
  std::size_t detailsFilled = 0;  // links in the list before that got details
  LeftOutCounts leftOut{};
  bool limitReached = false;  // maxLinks were added and the rest was skipped
  std::vector<std::string> usedEntries;     // of a zip archive
  std::vector<std::string> skippedEntries;  // of a zip archive, each "NAME" (why)

  bool changedList() const { return added > 0 || detailsFilled > 0 || plain.added > 0; }
};

BacklinkImport importBacklinkFile(core::LinkList& links, const std::filesystem::path& path,
                                  const BacklinkImportOptions& options);

// What the import of a table or a zip archive did, for both front ends:
// "Read 120 rows: 97 added, 15 already in the list, 8 left out (5 link to
// another site, 3 not http(s) pages)." after the entries of a zip used and
// skipped.
std::string importSummary(const BacklinkImport& imported);

}  // namespace larkspur::links
