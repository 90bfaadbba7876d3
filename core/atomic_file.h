#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <sys/types.h>
#include <vector>

#include "core/status.h"

namespace larkspur::core {

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// disk and renames it over `path`, so the old file stays intact unless the new
// one is complete. `mode` is the new file's permission bits (the umask applies
// unless `exactMode`). The message names the path and the system's reason.
Status writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                           mode_t mode = 0666, bool exactMode = false);

// Reads the whole file; refuses files larger than `maxBytes` (code -2) and
// anything that is not a regular file (a folder, pipe or device: reading it
// could wait or go on for ever), saying which it is.
Status readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                     std::size_t maxBytes);

}  // namespace larkspur::core
