#include "update/update_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "update/sha256.h"

namespace larkspur::update {

namespace fs = std::filesystem;

namespace {

// Removes a file left at `path` by an earlier run, then creates the file so
// that nobody else can have it open or have put a link there.
int createTarget(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (!error && fs::exists(status) && !fs::is_directory(status)) fs::remove(path, error);
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool writeAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(fd, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

int64_t downloadPercent(uint64_t done, uint64_t expected) {
  if (expected == 0) return 0;
  if (done >= expected) return 100;
  if (done <= UINT64_MAX / 100) return static_cast<int64_t>(done * 100 / expected);
  // Sizes beyond 2^64 / 100 bytes: the product needs more than 64 bits.
  return static_cast<int64_t>(static_cast<unsigned __int128>(done) * 100 / expected);
}

DownloadResult downloadProgram(UpdateTransfer& transfer, const fs::path& target, const DownloadCheck& check,
                               const core::Post& post, const core::Event* cancel) {
  const int fd = createTarget(target);
  if (fd < 0) return DownloadResult::Failed;

  Sha256 hash;
  uint64_t total = 0;
  char block[kUpdateBlockSize];
  DownloadResult result = DownloadResult::Failed;
  for (;;) {
    if (cancel != nullptr && cancel->isSet()) break;
    const int64_t count = transfer.read(block, sizeof block, cancel);
    if (count < 0) break;
    if (count == 0) {
      const bool matches = total == check.size && toHex(hash.finish()) == check.sha256;
      result = matches ? DownloadResult::Complete : DownloadResult::Refused;
      break;
    }
    const auto length = static_cast<std::size_t>(count);
    if (!writeAll(fd, block, length)) break;
    hash.update(block, length);
    total += length;
    // More than the description names can never end well: stop at once.
    if (total > check.size) {
      result = DownloadResult::Refused;
      break;
    }
    if (check.size != 0 && post) post(core::Message{core::MessageId::kDownloadProgress, nullptr, downloadPercent(total, check.size), {}});
  }
  if (::close(fd) != 0 && result == DownloadResult::Complete) result = DownloadResult::Failed;
  if (result == DownloadResult::Refused) {
    std::error_code error;
    fs::remove(target, error);
  }
  return result;
}

}  // namespace larkspur::update
