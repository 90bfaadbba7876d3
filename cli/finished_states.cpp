#include "cli/finished_states.h"

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
  return core::writeProjectFile(path_, project_.profile, states_, project_.links, project_.announce);
}

}  // namespace larkspur::cli
