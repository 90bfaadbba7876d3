#include "cli/finished_states.h"

#include <optional>
#include <vector>

#include "core/atomic_file.h"
#include "core/project_file.h"

namespace larkspur::cli {

FinishedStates::FinishedStates(const core::Project& project, std::filesystem::path path)
    : project_(project), path_(std::move(path)) {
  for (std::size_t i = 0; i < project.engines.size(); ++i) states_.append(*project.engines.at(i));
}

core::Status FinishedStates::finished(const core::EngineRecord& record) {
  const long index = project_.engines.indexOf(&record);
  if (index < 0 || static_cast<std::size_t>(index) >= states_.size()) return core::Status::success();
  *states_.at(static_cast<std::size_t>(index)) = record;
  return save();
}

core::Status FinishedStates::save() {
  std::optional<std::vector<uint8_t>> bytes = core::buildProjectBuffer(project_.profile, states_, project_.links);
  if (!bytes) return core::Status::failure("Unable to write to " + path_.string() + ": the project could not be serialised");
  return core::writeFileAtomically(path_, *bytes);
}

}  // namespace larkspur::cli
