#pragma once
// The "Announce to IndexNow" window: the project's key and the file to
// publish for it, the readiness check of what engines will see, the choice
// of URLs and endpoint, a progress bar and the endpoint's answer to each
// request. "Check" runs the readiness check alone, "Announce" the check and
// then the announcement (announce::runAnnouncement), on a worker thread;
// "Stop", closing the window or replacing the project end it within a
// second. The window does not block the main window.
//
// The run works on a copy of the project's announce state; when it ends, what
// it recorded (a key, the answers, the URLs accepted) replaces the project's
// state and the project is marked modified, as larkspur-cli saves it.
//
// A check that fails is told at the top of the window, each line in full with
// what to do, as soon as it is found; the check list keeps its first failure
// in sight. The key file can be copied ("Copy key", "Copy URL") or written
// ("Save key file...", KEY.txt holding the key, in the project's folder by
// default).

#include <QDialog>
#include <QString>
#include <string>

#include "announce/announcer.h"
#include "core/event.h"
#include "core/worker_threads.h"
#include "ui/dialogs/gui_call_gate.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace larkspur::ui {

class ProjectDocument;

class AnnounceWindow : public QDialog {
  Q_OBJECT

 public:
  explicit AnnounceWindow(ProjectDocument& doc, QWidget* parent = nullptr);
  // Stops a run and waits for it; what it recorded is dropped.
  ~AnnounceWindow() override;

  // Why the project's website cannot be announced, as a message for the
  // user; empty when it can.
  static QString websiteProblem(ProjectDocument& doc);

  // Shows the project's website, key and earlier answers. Makes the key when
  // the project has none for the website's host; the project is marked
  // modified only once the key is used: selected in the window to be
  // copied, or checked or announced with. Does nothing while a run goes on.
  void refresh();

  // "Check" (checkOnly) and "Announce". Refused with a message when the
  // website has no host or the endpoint is neither a known name nor an https
  // URL; does nothing while a run goes on.
  void start(bool checkOnly);
  bool running() const { return running_; }
  // "Stop": the run ends within a second.
  void stop();
  // Stops a run and waits for its end with the window painted. With `record`
  // what it recorded goes into the project as usual; without, it is dropped
  // (the project is about to be replaced).
  void stopAndWait(bool record);

  // Closing the window (Close, Esc, the title bar) stops a run.
  void reject() override;

  // "Save key file...": the key file, written where the user chooses. False
  // when cancelled or it could not be written (the user has been told).
  bool saveKeyFile();

  // The failed checks of the last run, with what to do; hidden when none.
  QLabel* problems() const { return problems_; }
  QPushButton* copyKeyButton() const { return copyKey_; }
  QPushButton* copyUrlButton() const { return copyUrl_; }
  QPushButton* saveKeyButton() const { return saveKey_; }
  QLineEdit* keyFileUrl() const { return keyUrl_; }
  QLineEdit* keyFileContent() const { return keyContent_; }
  QComboBox* endpointChoice() const { return endpoint_; }
  QRadioButton* allChoice() const { return all_; }
  QRadioButton* changedOnlyChoice() const { return changedOnly_; }
  // One row per finding; its data (Qt::UserRole) is the level word.
  QTreeWidget* checks() const { return checks_; }
  QLabel* urlCount() const { return urlCount_; }
  QProgressBar* progressBar() const { return progress_; }
  // Time, endpoint, URLs, code, answer: the project's log, then each new answer.
  QTreeWidget* answers() const { return answers_; }
  QLabel* status() const { return status_; }
  QPushButton* checkButton() const { return check_; }
  QPushButton* announceButton() const { return announce_; }
  QPushButton* stopButton() const { return stopButton_; }

 signals:
  // A run has ended (announce::Outcome as int) and its result is recorded.
  void finished(int outcome);

 protected:
  // Ctrl+C or the context menu's Copy in the key fields uses the key.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void addCheck(const announce::CheckLine& line);
  void showProblems();
  void addAnswer(const core::AnnounceLogEntry& entry);
  void showRequests(std::size_t sent, std::size_t total);
  void finish(const core::AnnounceState& state, const announce::AnnounceResult& result);
  void updateButtons();
  // A key made here is used from now on: the project keeps it.
  void keepMadeKey();

  ProjectDocument& doc_;
  QLabel* website_ = nullptr;
  QLabel* problems_ = nullptr;
  QPushButton* copyKey_ = nullptr;
  QPushButton* copyUrl_ = nullptr;
  QPushButton* saveKey_ = nullptr;
  QLineEdit* keyUrl_ = nullptr;
  QLineEdit* keyContent_ = nullptr;
  QComboBox* endpoint_ = nullptr;
  QRadioButton* all_ = nullptr;
  QRadioButton* changedOnly_ = nullptr;
  QTreeWidget* checks_ = nullptr;
  QLabel* urlCount_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTreeWidget* answers_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* check_ = nullptr;
  QPushButton* announce_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QPushButton* close_ = nullptr;

  bool running_ = false;
  // A key was made for the project and not used yet.
  bool keyMade_ = false;
  // The run's stop signal and its thread: the thread is joined before the
  // signal goes away.
  core::Event stopSignal_;
  core::WorkerThreads worker_;
  // What the worker hands to this window; closed when its result is dropped.
  GuiCallGate gate_;
};

}  // namespace larkspur::ui
