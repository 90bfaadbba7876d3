#pragma once
// The Excel export: an .xlsx workbook written with libxlsxwriter at the path
// the user chose, with one sheet "Exceldemo" whose first row holds the
// visible columns' titles without blanks and whose other rows hold the cell
// texts, every one as a text cell exactly as the view shows it.

#include <filesystem>

#include "core/status.h"
#include "reports/list_view.h"

namespace larkspur::reports {

inline constexpr char kWorkbookSheetName[] = "Exceldemo";

// Fails with "Create file error!" when the workbook cannot be written.
core::Status writeWorkbook(const ListView& view, const std::filesystem::path& path);

}  // namespace larkspur::reports
