#pragma once
// Writing a report or export file: the whole text at once, replacing an
// existing file only when the new one is complete.

#include <filesystem>
#include <string_view>

#include "core/status.h"

namespace larkspur::links {

inline constexpr char kCreateFileError[] = "Create file error!";

// Writes `bytes` as the file's whole content. Fails with kCreateFileError.
core::Status writeReportFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace larkspur::links
