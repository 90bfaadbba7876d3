#pragma once
// Import of links from a text file: every line that mentions "HTTP" (in any
// case) becomes a new link, trimmed of surrounding white space. Lines are
// read in pieces of at most 259 bytes, each piece handled as a line of its
// own. The import does not look for duplicates.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/link_list.h"
#include "core/status.h"

namespace larkspur::core {

inline constexpr char kImportOpenError[] = "Open import file error! ";
inline constexpr std::size_t kImportPieceLength = 259;
// One import adds at most this many links: every short line can become a
// record of about 3 KB, so a large file of them would exhaust memory.
inline constexpr std::size_t kImportMaxLinks = 100000;

struct ImportResult {
  Status status;           // kImportOpenError when the file cannot be read
  std::size_t added = 0;
  bool limitReached = false;  // kImportMaxLinks were added and the rest skipped
  // Lines left out because their address is not valid UTF-8 or holds a
  // control character (an ESC, a NUL before the address's end).
  std::size_t refused = 0;
};

// The sentence for lines left out of an import, for both front ends.
std::string refusedLinesText(std::size_t refused);

// The URL a piece gives: the piece up to its first NUL byte, when that
// mentions "HTTP" in any case, with blanks, tabs and line ends removed from
// both ends; empty otherwise.
std::string_view importedUrl(std::string_view piece);

// Reads the file and appends one record per qualifying piece, with time added
// `now`. Only regular files are read: a device or a pipe could feed the
// import forever.
ImportResult importLinks(LinkList& links, const std::filesystem::path& path, int32_t now,
                         std::size_t maxLinks = kImportMaxLinks);

}  // namespace larkspur::core
