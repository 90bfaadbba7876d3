#include "update/program_exchange.h"

namespace larkspur::update {

namespace fs = std::filesystem;

namespace {

std::error_code plainRename(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return error;
}

// Removes what is at `path` unless it is a directory; true when nothing is
// there afterwards.
bool removeFileAt(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (status.type() == fs::file_type::not_found) return true;
  if (error) return false;
  if (fs::is_directory(status)) return false;
  return fs::remove(path, error) && !error;
}

}  // namespace

fs::path runningProgramPath() {
  std::error_code error;
  fs::path path = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return path;
}

bool exchangeProgramFile(const fs::path& program, const fs::path& downloaded, const ExchangeFileOps& ops) {
  const auto rename = ops.rename ? ops.rename : plainRename;
  if (program.empty() || !program.has_filename()) return false;
  // A program still running from the backup of an earlier update would
  // remove itself as the old backup: it has to be restarted first.
  if (program.filename() == kProgramBackupName) return false;
  const fs::path folder = program.parent_path();
  const fs::path backup = folder / kProgramBackupName;
  const fs::path staged = folder / ("." + program.filename().string() + ".update");

  std::error_code error;
  const fs::file_status programStatus = fs::status(program, error);
  if (error || !fs::is_regular_file(programStatus)) return false;

  // 1. The new program beside the old one, complete and with its modes,
  //    before anything of the old one is touched. This is where a folder
  //    the user may not write to fails.
  auto dropStaged = [&staged] {
    std::error_code ignored;
    fs::remove(staged, ignored);
  };
  if (!removeFileAt(staged)) return false;
  if (!fs::copy_file(downloaded, staged, fs::copy_options::none, error) || error) {
    dropStaged();
    return false;
  }
  fs::permissions(staged, programStatus.permissions(), fs::perm_options::replace, error);
  if (error) {
    dropStaged();
    return false;
  }

  // 2. Make room for the backup.
  if (!removeFileAt(backup)) {
    dropStaged();
    return false;
  }

  // 3. The old program becomes the backup.
  if (rename(program, backup)) {
    dropStaged();
    return false;
  }

  // 4. The new program takes its name; if it cannot, the old one goes back.
  if (rename(staged, program)) {
    rename(backup, program);
    dropStaged();
    return false;
  }

  fs::remove(downloaded, error);
  return true;
}

}  // namespace larkspur::update
