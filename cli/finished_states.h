#pragma once
// Keeps the project file up to date while a batch runs: a copy of the Engine
// table holds the states that are final, and every final report copies its
// target into it and saves the project (atomically) from that copy. Records
// that workers are still writing are never read, so the file only ever holds
// finished outcomes, and whatever was reached survives the process dying.

#include <filesystem>
#include <string>

#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/project.h"
#include "core/status.h"

namespace larkspur::cli {

class FinishedStates {
 public:
  // Copies the project's Engine table as it is before the batch starts.
  FinishedStates(const core::Project& project, std::filesystem::path path);

  // A target's final report arrived: its worker has written its outcome and
  // writes nothing more. Copies it and saves.
  core::Status finished(const core::EngineRecord& record);
  // Saves the finished states.
  core::Status save();

 private:
  const core::Project& project_;
  std::filesystem::path path_;
  core::EngineTable states_;
};

}  // namespace larkspur::cli
