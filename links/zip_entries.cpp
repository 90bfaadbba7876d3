#include "links/zip_entries.h"

#include <zip.h>

#include <algorithm>

#include "core/visible_text.h"

namespace larkspur::links {

struct ZipEntries::Handles {
  zip_t* archive = nullptr;
  zip_file_t* file = nullptr;

  void closeFile() {
    if (file) zip_fclose(file);
    file = nullptr;
  }
  ~Handles() {
    closeFile();
    if (archive) zip_discard(archive);
  }
};

std::string zipTooLargeText(std::uint64_t limit) {
  return "The zip archive unpacks to more than " + std::to_string(limit >> 20) +
         " MB, the most an import reads from one: nothing was imported.";
}

ZipEntries::ZipEntries() : handles_(std::make_unique<Handles>()) {}
ZipEntries::~ZipEntries() = default;

core::Status ZipEntries::open(const std::filesystem::path& path, const ZipLimits& limits) {
  limits_ = limits;
  int code = 0;
  handles_->archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!handles_->archive) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    return core::Status::failure("The file is not a zip archive that can be read (" + why +
                                 "): nothing was imported.");
  }
  const zip_int64_t count = zip_get_num_entries(handles_->archive, 0);
  if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxEntries) {
    return core::Status::failure("The zip archive holds " + std::to_string(count) +
                                 " entries; an import reads at most " + std::to_string(limits.maxEntries) +
                                 ": nothing was imported.");
  }
  std::uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(handles_->archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS, &stat) != 0) {
      return core::Status::failure("The zip archive's directory is damaged (" +
                                   std::string(zip_strerror(handles_->archive)) + "): nothing was imported.");
    }
    const std::string name = (stat.valid & ZIP_STAT_NAME) && stat.name ? stat.name : "";
    if (name.ends_with('/')) continue;
    const std::uint64_t size = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
    total += std::min(size, limits.maxTotalBytes + 1);
    if (total > limits.maxTotalBytes) return core::Status::failure(zipTooLargeText(limits.maxTotalBytes));
    ZipFile file;
    file.index = static_cast<std::uint64_t>(i);
    file.name = core::visibleText(name);
    file.encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    files_.push_back(std::move(file));
  }
  return core::Status::success();
}

ByteSource ZipEntries::read(const ZipFile& file, std::string& error) {
  handles_->closeFile();
  handles_->file = zip_fopen_index(handles_->archive, file.index, 0);
  if (!handles_->file) {
    error = zip_strerror(handles_->archive);
    return {};
  }
  return [this](char* buffer, std::size_t size) -> std::ptrdiff_t {
    if (!handles_->file || limitPassed_) return -1;
    // One byte past the limit is enough to know it is passed.
    const std::uint64_t room = limits_.maxTotalBytes - std::min(unpacked_, limits_.maxTotalBytes) + 1;
    const zip_int64_t got = zip_fread(handles_->file, buffer, std::min<std::uint64_t>(size, room));
    if (got < 0) return -1;
    unpacked_ += static_cast<std::uint64_t>(got);
    if (unpacked_ > limits_.maxTotalBytes) {
      limitPassed_ = true;
      return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
  };
}

}  // namespace larkspur::links
