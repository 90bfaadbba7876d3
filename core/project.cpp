#include "core/project.h"

#include <vector>

#include "core/atomic_file.h"
#include "core/builtin_engines.h"
#include "core/project_file.h"

namespace larkspur::core {

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
  path_.clear();
  profileChanged();
  modified_ = true;
}

void Project::profileChanged() {
  profile.recomputeHost();
  words = buildWordLists(profile);
}

Status Project::open(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes;
  Status read = readWholeFile(path, bytes, kMaxProjectFileBytes);
  if (read.code == -2) {
    // Too large to be a project: the same verdict as content that does not parse.
    clearTables();
    return Status::failure(kDataErrorMessage);
  }
  if (!read.ok()) return read;
  clearTables();
  Status loaded = loadProjectBuffer(std::move(bytes), profile, engines, links, ppc, engineSource_);
  if (!loaded.ok()) return loaded;
  profileChanged();
  path_ = path;
  modified_ = false;
  return Status::success();
}

Status Project::save(const std::filesystem::path& path) {
  std::optional<std::vector<uint8_t>> bytes = buildProjectBuffer(profile, engines, links);
  if (!bytes) return Status::failure("Unable to write to " + path.string() + ": the project could not be serialised");
  Status written = writeFileAtomically(path, *bytes);
  if (!written.ok()) return written;
  path_ = path;
  modified_ = false;
  return Status::success();
}

}  // namespace larkspur::core
