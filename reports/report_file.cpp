#include "reports/report_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "core/atomic_file.h"

namespace larkspur::reports {

core::Status createFileError(std::string_view why) {
  std::string message = kCreateFileError;
  if (!why.empty()) message += " (" + std::string(why) + ")";
  return core::Status::failure(std::move(message));
}

core::Status checkCanCreate(const std::filesystem::path& path) {
  if (path.empty()) return createFileError("no file name");
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return createFileError(path.string() + " is a folder");
  if (core::Status replaceable = core::checkReplaceable(path); !replaceable.ok()) {
    return createFileError(replaceable.message);
  }
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  if (!std::filesystem::is_directory(dir, ec)) return createFileError(dir.string() + ": no such folder");
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    return createFileError("Unable to write to " + dir.string() + ": " + std::strerror(errno));
  }
  return core::Status::success();
}

core::Status writeReportFile(const std::filesystem::path& path, std::string_view bytes) {
  std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (path.empty()) return createFileError("no file name");
  const core::Status written = core::writeFileAtomically(path, data);
  if (!written.ok()) return createFileError(written.message);
  return core::Status::success();
}

}  // namespace larkspur::reports
