#pragma once
// Downloads the new program into a file, block by block, with progress
// messages and the update-cancel signal, and accepts the result only when its
// length and SHA-256 are the ones the update description names.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/event.h"
#include "core/messages.h"
#include "update/update_transfer.h"

namespace larkspur::update {

inline constexpr std::size_t kUpdateBlockSize = 8192;

// Percent of `expected` bytes that `done` makes, 0 to 100, in 64-bit
// arithmetic so that large programs do not overflow.
int64_t downloadPercent(uint64_t done, uint64_t expected);

struct DownloadCheck {
  uint64_t size = 0;   // bytes the file must have; 0 accepts nothing
  std::string sha256;  // 64 lower-case hex digits the file must hash to
};

enum class DownloadResult {
  Complete,  // the file has the size and the digest asked for
  Failed,    // cancelled, a read or a write failed: what was read stays in the file
  Refused,   // more bytes than the size, or an end with another size or digest: the file is removed
};

// Reads the opened `transfer` in blocks of kUpdateBlockSize bytes into
// `target`, which is created afresh (an old file there is removed first; the
// new one is made exclusively, readable and writable by the user only, and
// never through a symbolic link). Before each block the cancel signal is
// checked; after each block a kDownloadProgress message with the percent
// done is posted. A program that does not match the description must not
// stay behind where it could be started by mistake, so a refused file is
// removed; after a cancel or a failed transfer the part read is kept.
DownloadResult downloadProgram(UpdateTransfer& transfer, const std::filesystem::path& target,
                               const DownloadCheck& check, const core::Post& post, const core::Event* cancel);

}  // namespace larkspur::update
