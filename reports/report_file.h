#pragma once
// Writing a report or export file: the whole text at once, replacing an
// existing file only when the new one is complete.

#include <filesystem>
#include <string_view>

#include "core/status.h"

namespace larkspur::reports {

inline constexpr char kCreateFileError[] = "Create file error!";

// "Create file error!" followed by why, in parentheses: "Create file error!
// (Unable to write to /r/x.htm: Permission denied)".
core::Status createFileError(std::string_view why);

// Whether a file can be created at `path` (its folder exists and takes new
// files, and the path is not a folder): checked before long work whose end is
// a file, so that the work is not done in vain. Fails as createFileError.
core::Status checkCanCreate(const std::filesystem::path& path);

// Writes `bytes` as the file's whole content. Fails as createFileError.
core::Status writeReportFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace larkspur::reports
