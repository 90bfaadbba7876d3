#pragma once
// Puts a downloaded program in place of the installed one, keeping the old
// file as "OldExecutable.bak" in the program's folder. A running program
// keeps running from the moved file; the new one is used from the next start.

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace larkspur::update {

inline constexpr std::string_view kProgramBackupName = "OldExecutable.bak";

// The file operation the exchange is made of, replaceable so that tests can
// make a single step fail.
struct ExchangeFileOps {
  // Renames within one folder; the default is std::filesystem::rename.
  std::function<std::error_code(const std::filesystem::path& from, const std::filesystem::path& to)> rename;
};

// The running program's own file (/proc/self/exe), or empty when it cannot
// be read.
std::filesystem::path runningProgramPath();

// The new file is first copied beside the program (as ".<name>.update", with
// the program's permission bits), then the backup is removed, the program is
// renamed to the backup and the copy renamed to the program's name. Each
// step's failure undoes the earlier ones: if the program was already moved
// to the backup, it is moved back. So the folder ends either with the new
// program and the old one as backup, or with the program untouched (a
// previous backup may be gone). `downloaded` is removed once the exchange has
// succeeded. A program whose own file is named like the backup (still
// running from an earlier exchange) is refused. Returns whether it succeeded.
bool exchangeProgramFile(const std::filesystem::path& program, const std::filesystem::path& downloaded,
                         const ExchangeFileOps& ops = {});

}  // namespace larkspur::update
