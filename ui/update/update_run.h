#pragma once
// One online update run at a time on a worker thread of its own. The worker
// reaches the windows only through the handlers given to start(), which run
// on the GUI thread: questions and messages block the worker until they are
// answered, progress and end messages are posted. The run outlives the
// update dialog: after "Cancel" the worker sees the update-cancel signal at
// its next step and its remaining messages are still shown.

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "core/messages.h"
#include "update/online_update.h"
#include "ui/dialogs/gui_call_gate.h"

namespace larkspur::ui {

struct UpdateRunHandlers {
  std::function<bool(const QString& question)> askYesNo;  // true for Yes
  std::function<void(const QString& text)> showMessage;
  // The user wants the new program now: the main window is to close and
  // `program` (the file just replaced) to start once this one has ended.
  std::function<void(const QString& program)> requestRestart;
  std::function<void(const core::Message& message)> post; // kDownloadProgress, kDownloadEnd
};

class UpdateRun {
 public:
  UpdateRun() = default;
  ~UpdateRun();
  UpdateRun(const UpdateRun&) = delete;
  UpdateRun& operator=(const UpdateRun&) = delete;

  // Starts the worker; false (and nothing started) while an earlier run is
  // still going. The handlers run on the GUI thread. The run polls the
  // program-wide update-cancel signal (update::updateCancelSignal()), whatever
  // `agent.cancel` says; the caller resets it before starting.
  bool start(update::UpdateAgentSetup agent, UpdateRunHandlers handlers);
  bool running() const { return running_.load(std::memory_order_acquire); }
  // Runs on the GUI thread once a run's worker has ended (unless the run was
  // ended with finish()).
  void setEndNotice(std::function<void()> notice) { endNotice_ = std::move(notice); }

  // Ends a run for good, as at program exit: sets the cancel signal, answers
  // every open and later question with No, drops its messages and joins the
  // worker. Nothing is shown any more.
  void finish();

 private:
  void joinFinished();

  std::thread thread_;
  std::atomic<bool> running_{false};
  GuiCallGate gate_;
  std::function<void()> endNotice_;
};

}  // namespace larkspur::ui
