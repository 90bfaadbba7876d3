#pragma once
// The open project: the Website profile, the Engine table, the Link list and
// the PPC list, with New, Open and Save on them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "core/announce_state.h"
#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/link_list.h"
#include "core/ppc_list.h"
#include "core/status.h"
#include "core/website_profile.h"
#include "core/word_lists.h"

namespace larkspur::core {

// Project files are a few megabytes at most; a larger file is not one.
inline constexpr std::size_t kMaxProjectFileBytes = 256u * 1024 * 1024;
// The permission bits of a project file saved where none was: it holds the
// user's password under a fixed-key cipher, so it is the user's alone.
inline constexpr unsigned kNewProjectFileMode = 0600;

// Reads a project file whole, for Project::load. A file too large to be a
// project gives "Data error!" with code -2; a file that cannot be read gives a
// message naming the path and the reason.
Status readProjectFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);
// Writes a project file from these tables, atomically: a new file gets
// kNewProjectFileMode, a file saved over keeps its permission bits. A failed
// write leaves the old file intact and no temporary file behind. Through a
// symbolic link the file it points to is written and the link stays.
Status writeProjectFile(const std::filesystem::path& path, const WebsiteProfile& profile,
                        const EngineTable& engines, const LinkList& links);
// The same, with the announcement state.
Status writeProjectFile(const std::filesystem::path& path, const WebsiteProfile& profile,
                        const EngineTable& engines, const LinkList& links,
                        const AnnounceState& announce);

class Project {
 public:
  Project();
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  WebsiteProfile profile;
  EngineTable engines;
  LinkList links;
  PpcList ppc;
  // The IndexNow key, the announcement log and what was announced; emptied by
  // New, read by Open and written by Save.
  AnnounceState announce;
  // Derived from the profile: rebuilt by New, Open and profileChanged().
  WordLists words;

  // Where the project was opened from or saved to; empty after New.
  const std::filesystem::path& path() const { return path_; }
  bool modified() const { return modified_; }
  void setModified(bool modified) { modified_ = modified; }

  // The records the Engine table is built from (the built-in table unless a
  // caller supplies a target list of its own, which must outlive the project).
  void setEngineSource(std::span<const EngineRecord> source) { engineSource_ = source; }
  std::span<const EngineRecord> engineSource() const { return engineSource_; }

  // Frees every Engine record and every Link record.
  void clearTables();
  // Empties the profile and builds a fresh Engine table (after clearTables).
  void resetAndBuild();
  // New: clear, reset, build, fill the PPC list; the path is cleared and the
  // project is marked modified. The caller then fills the profile and calls
  // profileChanged().
  void newProject();
  // Recomputes what is derived from the profile: the host name and the
  // keyword and category word lists.
  void profileChanged();

  // Reads the whole file and loads it. When the file cannot be read the
  // project is left as it was; when its content does not parse ("Data error!")
  // the tables are empty and the profile is unchanged.
  Status open(const std::filesystem::path& path);
  // Loads `bytes`, read from `path` by readProjectFile, as open() does after
  // reading; the file itself is not touched again. On success the path is
  // remembered.
  Status load(const std::filesystem::path& path, std::vector<uint8_t> bytes);
  // Writes the project atomically; on success remembers the path and clears
  // the modified flag. A failed save leaves the old file intact. A new file
  // gets kNewProjectFileMode; a file saved over keeps its permission bits.
  Status save(const std::filesystem::path& path);

  // Whether the file at path() is no longer the one this project was read
  // from or last saved to (another program saved over it since). False
  // after New, and when the file is gone.
  bool changedOnDisk() const;

 private:
  // What identifies the file as read or saved: device, inode, size and
  // modification time.
  struct FileStamp {
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
  };
  static std::optional<FileStamp> stampOf(const std::filesystem::path& path);
  std::optional<FileStamp> stamp_;

  std::span<const EngineRecord> engineSource_;
  std::filesystem::path path_;
  bool modified_ = false;
};

}  // namespace larkspur::core
