#include "links/workbook_export.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "links/markup_escape.h"
#include "links/report_file.h"

namespace larkspur::links {

namespace {

std::string withoutBlanks(const std::string& title) {
  std::string name;
  for (char c : title) {
    if (c != ' ') name += c;
  }
  return name;
}

}  // namespace

core::Status writeWorkbook(const ListView& view, const std::filesystem::path& path) {
  if (path.empty()) return createFileError("no file name");
  // The workbook goes to a temporary name beside the target and is renamed
  // over it once complete, so a failed export leaves an earlier file intact.
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  std::string temporary = (dir / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
  {
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return createFileError("Unable to write to " + dir.string() + ": " + std::strerror(errno));
    // A new file gets the usual permissions, not the temporary file's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
  }

  lxw_workbook_options options{};
  options.constant_memory = LXW_FALSE;
  lxw_workbook* workbook = workbook_new_opt(temporary.c_str(), &options);
  if (!workbook) {
    std::filesystem::remove(temporary);
    return createFileError("the workbook could not be started");
  }
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
  std::error_code ec;
  if (!sheet || closed != LXW_NO_ERROR) {
    std::filesystem::remove(temporary, ec);
    return createFileError(closed != LXW_NO_ERROR ? lxw_strerror(closed) : "the sheet could not be added");
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    const std::string why = "Unable to write to " + path.string() + ": " + ec.message();
    std::filesystem::remove(temporary, ec);
    return createFileError(why);
  }
  return core::Status::success();
}

}  // namespace larkspur::links
