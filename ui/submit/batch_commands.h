#pragma once
// "Auto Submit ALL", "Auto Submit Reset" and the engine list's "Auto Submit":
// each runs a batch submission on its targets, once the website is known,
// marks the project changed when a target's record changed and shows the
// states the batch left in the engine list. They are there while a batch runner is. ALL and Reset offer
// the targets whose last check keeps the profile from them to be left out;
// targets the user chose are sent it only once the user says so.

#include <QObject>
#include <functional>
#include <vector>

#include "core/engine_record.h"
#include "submit/batch_targets.h"

namespace larkspur::ui {

class CommandHost;
class ProjectDocument;

// Runs a batch submission on a list of targets (modally) and returns when it
// is over; the `unhealthy` among the targets are left out unless the user
// includes them.
using BatchRunner = std::function<void(const std::vector<core::EngineRecord*>& targets,
                                       const std::vector<core::EngineRecord*>& unhealthy)>;

class BatchCommands : public QObject {
  Q_OBJECT

 public:
  // A child of the host's window, as long as which it lives.
  BatchCommands(CommandHost& host, ProjectDocument& doc);

  // Installs the commands and offers the engine list's "Auto Submit" with
  // this runner (the batch dialog); an empty one takes them away.
  void setRunner(BatchRunner runner);

 private:
  // "Auto Submit ALL" (All) and "Auto Submit Reset".
  void runBatch(submit::BatchScope scope);
  void runSelected(const std::vector<core::EngineRecord*>& records);
  void run(const std::vector<core::EngineRecord*>& targets, const std::vector<core::EngineRecord*>& unhealthy);
  void showStates();

  CommandHost& host_;
  ProjectDocument& doc_;
  BatchRunner runner_;
};

}  // namespace larkspur::ui
