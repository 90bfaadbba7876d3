#pragma once
// The settings blob: the last project path and the column widths of the
// lists, kept as two files in the user's configuration folder
// ($XDG_CONFIG_HOME/NORVELLA/Larkspur/): `sysdata`, the enciphered Property
// table, and `sysdatasize`, its length as 4 little-endian bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/status.h"

namespace larkspur::core {

inline constexpr const char* kReadSettingsError =
    "Read reg error,maybe you have not enough rights!";
inline constexpr const char* kWriteSettingsError =
    "Write reg error,maybe you have not enough rights!";
inline constexpr const char* kLoadSystemDataError = "Load system data error!";

using ColumnWidths = std::array<int32_t, 32>;

// The longest last-project path, in bytes, that `userfile` holds whole.
inline constexpr std::size_t kLastProjectCapacity = 259;

struct Settings {
  std::string last_project;          // `userfile`, at most kLastProjectCapacity bytes
  ColumnWidths link_column_widths;   // `linkme_column_width`
  ColumnWidths engine_column_widths; // `m_column_width`

  Settings();
  static ColumnWidths defaultLinkColumnWidths();
  static ColumnWidths defaultEngineColumnWidths();
};

// Records `path` as the last project. A longer path than `userfile` holds is
// not recorded, since cut short it would name another file: the recorded path
// stays as it was and the result says why.
Status recordLastProject(Settings& settings, const std::string& path);

class SettingsStore {
 public:
  // The folder holding the two files; created when needed.
  explicit SettingsStore(std::filesystem::path folder);
  // $XDG_CONFIG_HOME/NORVELLA/Larkspur, or ~/.config/NORVELLA/Larkspur.
  static std::filesystem::path defaultFolder();

  const std::filesystem::path& folder() const { return folder_; }

  // Loads the settings; on first run (or when either file is missing, has
  // the wrong length or the length is 0) writes the first-run blob holding
  // only an empty `userfile`. A failure's message is the text to show before
  // "Load system data error!".
  Status load(Settings& settings) const;
  // Writes `userfile` and both width arrays.
  Status save(const Settings& settings) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace larkspur::core
