#include "reports/workbook_export.h"

#include <xlsxwriter.h>

#include <string>

#include "core/atomic_file.h"
#include "reports/markup_escape.h"
#include "reports/report_file.h"

namespace larkspur::reports {

namespace {

std::string withoutBlanks(const std::string& title) {
  std::string name;
  for (char c : title) {
    if (c != ' ') name += c;
  }
  return name;
}

// Writes the workbook into the file `path` names.
core::Status fillWorkbook(const ListView& view, const std::filesystem::path& path) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_FALSE;
  lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
  if (!workbook) return core::Status::failure("the workbook could not be started");
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, kWorkbookSheetName);

  const std::vector<std::size_t> shown = view.visibleColumns();
  // Cell texts are XML inside the workbook: they must be UTF-8 without the
  // control characters XML cannot hold. A failed cell leaves it empty and the
  // export goes on.
  for (std::size_t i = 0; sheet && i < shown.size(); ++i) {
    const std::string title = xmlSafeText(withoutBlanks(view.columns[shown[i]].title));
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(i), title.c_str(), nullptr);
  }
  for (std::size_t r = 0; sheet && r < view.rows.size() && r + 1 <= LXW_ROW_MAX - 1; ++r) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const std::string text = xmlSafeText(view.cell(r, shown[i]));
      if (text.empty()) continue;
      worksheet_write_string(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(i), text.c_str(),
                             nullptr);
    }
  }

  const lxw_error closed = workbook_close(workbook);
  if (closed != LXW_NO_ERROR) return core::Status::failure(lxw_strerror(closed));
  if (!sheet) return core::Status::failure("the sheet could not be added");
  return core::Status::success();
}

}  // namespace

core::Status writeWorkbook(const ListView& view, const std::filesystem::path& path) {
  if (path.empty()) return createFileError("no file name");
  // libxlsxwriter writes by file name: into the temporary file beside the
  // target, which replaces the target only once complete, so a failed export
  // leaves an earlier file intact.
  const core::Status written = core::writeFileAtomically(
      path, [&](const std::filesystem::path& temporary) { return fillWorkbook(view, temporary); });
  if (!written.ok()) return createFileError(written.message);
  return core::Status::success();
}

}  // namespace larkspur::reports
