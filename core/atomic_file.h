#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

#include "core/status.h"

namespace larkspur::core {

// Called with the temporary file's path once its content is on disk, just
// before it is renamed over the target: lets a test look at the file or make
// the rename fail.
using BeforeRename = std::function<void(const std::filesystem::path& temporary)>;

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// disk and renames it over the target, so the old file stays intact unless the
// new one is complete. When `path` is a symbolic link (or a chain of them) the
// target is the file it points to, which need not exist yet, and the link
// stays. The temporary file is created anew (never through a link) with mode
// 0600 and named temporaryFilePrefix(target) + 6 letters or digits; it is
// removed on every failure. Temporary files of that name left by an
// interrupted save are removed first (see removeStaleTemporaryFiles). A
// target that exists and is not a regular file is refused (checkReplaceable)
// before anything is written. `mode`
// is the new file's permission bits, set once it has replaced the target (the
// umask applies unless `exactMode`). The message names `path` and the
// system's reason.
Status writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                           mode_t mode = 0666, bool exactMode = false,
                           const BeforeRename& beforeRename = {});

// Whether a save may replace what `path` names: nothing, a regular file, or
// a chain of symbolic links ending at either. A folder, pipe, device or
// socket is refused, saying which it is.
Status checkReplaceable(const std::filesystem::path& path);

// Writes a file's whole content by its path, for writers that take a file
// name rather than bytes; returns their failure as it is.
using WriteByPath = std::function<Status(const std::filesystem::path& temporary)>;

// The same save for content that `write` puts into the temporary file, which
// exists (empty) when it is called; the file is flushed to disk and renamed
// over the target only when `write` succeeds, and removed when it fails.
Status writeFileAtomically(const std::filesystem::path& path, const WriteByPath& write,
                           mode_t mode = 0666, bool exactMode = false,
                           const BeforeRename& beforeRename = {});

// The name every temporary file of a save to `target` starts with: a dot, the
// target's file name and ".larkspur-".
std::string temporaryFilePrefix(const std::filesystem::path& target);

// Removes, in the target's folder, the temporary files a save to `target`
// left behind when it was interrupted: regular files owned by this user whose
// name is temporaryFilePrefix(target) followed by exactly 6 letters or digits
// and that no save in progress holds (a save locks its temporary file).
// Anything else is left alone. Returns how many files were removed.
int removeStaleTemporaryFiles(const std::filesystem::path& target);

// Reads the whole file; refuses files larger than `maxBytes` (code -2) and
// anything that is not a regular file (a folder, pipe or device: reading it
// could wait or go on for ever), saying which it is.
Status readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                     std::size_t maxBytes);

}  // namespace larkspur::core
