#pragma once
// "Check Targets" and "Stop Check" of the "Search Engine Submit" menu, and
// the engine list's "Check Targets" for the selected rows: the target check
// of health/ on a worker thread over copies of the records. Its verdicts are
// put into the records on the GUI thread as they come (the engine list shows
// them, the project is changed); the status bar counts them ("Checking
// targets: 12 of 342") and says how the check ended ("Check complete: 200
// live, 80 gone" or "Stopped after 40 of 342"). Stop Check sets the program's
// stop signal, which ends the check within a second. One check runs at a
// time; its commands are enabled accordingly.

#include <QObject>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/coordination.h"
#include "core/engine_record.h"
#include "health/target_check.h"

namespace larkspur::ui {

class CommandHost;
class ProjectDocument;

class TargetCheckCommands : public QObject {
  Q_OBJECT

 public:
  // A child of the host's window.
  TargetCheckCommands(CommandHost& host, ProjectDocument& doc, core::Coordination& coordination);
  // Sets the stop signal when a check runs and waits for it.
  ~TargetCheckCommands() override;

  void install();

  // Checks `targets`, records of the open project, unless a check runs.
  void check(std::vector<core::EngineRecord*> targets);
  // From the start of a check until its end has been shown.
  bool running() const { return running_; }
  // Sets the stop signal when a check runs and waits for it with the window
  // painted; the verdicts it gave are in the records when this returns.
  // Called before the records go.
  void stopAndWait();

  health::CheckOptions& options() { return options_; }

 signals:
  // A check has ended; the status bar says how.
  void finished(const QString& endText);

 private:
  void onVerdict(uint64_t run, std::size_t index, const health::Verdict& verdict);
  void onEnded(uint64_t run);
  // "Checking targets: 12 of 342", and the progress pane.
  void showProgress();
  QString endText() const;
  // The commands' and the context menu's states.
  void setRunning(bool running);

  CommandHost& host_;
  ProjectDocument& doc_;
  core::Coordination& coordination_;
  health::CheckOptions options_;
  // The running check: its records by the index the worker gives, its
  // verdicts counted by name, and its number (earlier ones' calls are void).
  std::vector<core::EngineRecord*> targets_;
  std::map<std::string, std::size_t> counts_;
  std::size_t checked_ = 0;
  uint64_t run_ = 0;
  bool running_ = false;
  std::thread worker_;
  std::atomic<bool> workerDone_{true};
};

}  // namespace larkspur::ui
