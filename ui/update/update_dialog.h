#pragma once
// The "Online update" dialog: "Start" runs the update check on a worker (see
// UpdateRun), the progress bar follows the download, "Cancel" (or Esc) sets
// the update-cancel signal and closes the dialog at once. The dialog closes
// by itself when the run has ended. Enter does nothing. What the run has to
// say (no update, a description or program that could not be verified, a
// newer version for a copy installed from a package) comes in a message box
// over the dialog before it closes.

#include <QDialog>
#include <functional>

#include "core/messages.h"
#include "update/online_update.h"

class QProgressBar;
class QPushButton;

namespace larkspur::ui {

class UpdateRun;

class UpdateDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kStartId = 1011;
  static constexpr int kProgressId = 1009;

  // Asks the main window to close and the new program (the file just
  // replaced) to start once this one has ended.
  using RestartRequest = std::function<void(const QString& program)>;

  // `requestRestart` is called after this dialog has closed when the user
  // chose to restart after an update.
  UpdateDialog(UpdateRun& run, update::UpdateAgentSetup setup, RestartRequest requestRestart,
             QWidget* parent = nullptr);

  QPushButton* startButton() const { return start_; }
  QPushButton* cancelButton() const { return cancel_; }
  QProgressBar* progressBar() const { return progress_; }

  // "Start": disables the button, resets the update-cancel signal and starts
  // the worker.
  void start();
  // A message from the worker (progress, end).
  void handleMessage(const core::Message& message);

  // Cancel and Esc.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  UpdateRun& run_;
  update::UpdateAgentSetup setup_;
  RestartRequest requestRestart_;
  QString restartProgram_;  // set when the user asked for a restart while the dialog was open
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
};

}  // namespace larkspur::ui
