#include "core/project.h"

#include <sys/stat.h>

#include <vector>

#include "core/atomic_file.h"
#include "core/builtin_engines.h"
#include "core/project_file.h"

namespace larkspur::core {

namespace {

// The permission bits the saved file gets: those of the file it replaces, or
// the new-file bits when there is none.
mode_t savedFileMode(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 0777;
  return kNewProjectFileMode;
}

}  // namespace

Status readProjectFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  Status read = readWholeFile(path, bytes, kMaxProjectFileBytes);
  // Too large to be a project: the same verdict as content that does not parse.
  if (read.code == -2) return Status::failure(kDataErrorMessage, -2);
  return read;
}

Project::Project() : engineSource_(builtinEngines()) {}

void Project::clearTables() {
  engines.clear();
  links.clear();
}

void Project::resetAndBuild() {
  profile.reset();
  engines.build(engineSource_);
}

void Project::newProject() {
  clearTables();
  resetAndBuild();
  ppc.fillFromBuiltIn();
  announce.clear();
  path_.clear();
  stamp_.reset();
  profileChanged();
  modified_ = true;
}

void Project::profileChanged() {
  profile.recomputeHost();
  words = buildWordLists(profile);
}

Status Project::open(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes;
  Status read = readProjectFile(path, bytes);
  if (read.code == -2) {
    clearTables();
    return Status::failure(read.message);
  }
  if (!read.ok()) return read;
  return load(path, std::move(bytes));
}

Status Project::load(const std::filesystem::path& path, std::vector<uint8_t> bytes) {
  clearTables();
  announce.clear();
  Status loaded = loadProjectBuffer(std::move(bytes), profile, engines, links, ppc, engineSource_, announce);
  if (!loaded.ok()) return loaded;
  profileChanged();
  path_ = path;
  modified_ = false;
  stamp_ = stampOf(path);
  return Status::success();
}

Status writeProjectFile(const std::filesystem::path& path, const WebsiteProfile& profile,
                        const EngineTable& engines, const LinkList& links) {
  return writeProjectFile(path, profile, engines, links, AnnounceState{});
}

Status writeProjectFile(const std::filesystem::path& path, const WebsiteProfile& profile,
                        const EngineTable& engines, const LinkList& links,
                        const AnnounceState& announce) {
  std::optional<std::vector<uint8_t>> bytes = buildProjectBuffer(profile, engines, links, announce);
  if (!bytes) return Status::failure("Unable to write to " + path.string() + ": the project could not be serialised");
  return writeFileAtomically(path, *bytes, savedFileMode(path), true);
}

Status Project::save(const std::filesystem::path& path) {
  Status written = writeProjectFile(path, profile, engines, links, announce);
  if (!written.ok()) return written;
  path_ = path;
  modified_ = false;
  stamp_ = stampOf(path);
  return Status::success();
}

std::optional<Project::FileStamp> Project::stampOf(const std::filesystem::path& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                   static_cast<uint64_t>(info.st_size),
                   static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool Project::changedOnDisk() const {
  if (path_.empty() || !stamp_) return false;
  const std::optional<FileStamp> now = stampOf(path_);
  return now && *now != *stamp_;
}

}  // namespace larkspur::core
