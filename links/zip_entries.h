#pragma once
// The files of a zip archive, read within bounds (a small archive can unpack
// to gigabytes): at most so many entries, and at most so many unpacked bytes
// in all, counted from the archive's directory when it is opened and again
// as the bytes come out, since a directory can lie. Read with libzip.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "links/delimited_text.h"

namespace larkspur::links {

struct ZipLimits {
  std::size_t maxEntries = 64;
  std::uint64_t maxTotalBytes = std::uint64_t{50} << 20;
};

struct ZipFile {
  std::uint64_t index = 0;  // in the archive
  std::string name;         // as it may be shown: control characters visible
  bool encrypted = false;
};

// The sentence for an archive that unpacks to more than `limit` bytes.
std::string zipTooLargeText(std::uint64_t limit);

class ZipEntries {
 public:
  ZipEntries();
  ~ZipEntries();
  ZipEntries(const ZipEntries&) = delete;
  ZipEntries& operator=(const ZipEntries&) = delete;

  // Opens the archive and reads its directory. Fails with a sentence when
  // the file is no zip archive, holds more entries than the limit, or says
  // its entries unpack to more than the limit together.
  core::Status open(const std::filesystem::path& path, const ZipLimits& limits);

  // The files, in the archive's order (folders left out).
  const std::vector<ZipFile>& files() const { return files_; }

  // Opens a file and returns the source of its unpacked bytes (valid until
  // the next read), or an empty function with `error` set. The source fails
  // (-1) on a damaged entry, and once the bytes unpacked from every file
  // together pass the limit; limitPassed() then says which.
  ByteSource read(const ZipFile& file, std::string& error);
  bool limitPassed() const { return limitPassed_; }

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  std::vector<ZipFile> files_;
  ZipLimits limits_;
  std::uint64_t unpacked_ = 0;
  bool limitPassed_ = false;
};

}  // namespace larkspur::links
