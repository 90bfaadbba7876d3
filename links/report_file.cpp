#include "links/report_file.h"

#include <cstdint>
#include <span>

#include "core/atomic_file.h"

namespace larkspur::links {

core::Status writeReportFile(const std::filesystem::path& path, std::string_view bytes) {
  std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (path.empty() || !core::writeFileAtomically(path, data).ok()) return core::Status::failure(kCreateFileError);
  return core::Status::success();
}

}  // namespace larkspur::links
