#pragma once
// What a feature of the desktop program sees of the main window. Each feature
// folder installs its own commands through it (an install...Commands
// function, or a class whose install() does it) and reaches the parts of the
// window it works with: the work areas and their active list, the status bar,
// the right-hand pane and the page-load progress bar. The command ids are in
// command_ids.h and link_command_ids.h beside it. MainWindow is the host.

#include <QString>
#include <functional>

class QLabel;
class QProgressBar;
class QWidget;

namespace larkspur::ui {

class NavigationView;
class TargetOpener;

class CommandHost {
 public:
  using Handler = std::function<void()>;
  using Enabler = std::function<bool()>;

  virtual ~CommandHost() = default;

  // The window: the parent of the features' dialogs, windows and objects.
  virtual QWidget* widget() = 0;

  // Installs the handler of a command (in place of an earlier one); it is
  // enabled while `enabler` says so (always when empty). A command without a
  // handler is shown disabled.
  virtual void installCommand(int id, Handler handler, Enabler enabler = {}) = 0;
  virtual void removeCommand(int id) = 0;
  virtual bool commandEnabled(int id) const = 0;
  // Runs a command as its menu entry would; false when it is disabled.
  virtual bool runCommand(int id) = 0;
  // Brings every menu entry's and button's enabled and checked state up to
  // date: called when something a command's state depends on has changed.
  virtual void updateCommandUi() = 0;

  // The work areas of the left pane: the lists of the project.
  virtual NavigationView* itemView() const = 0;
  // The list of the selected work-area tab, or nullptr.
  virtual QWidget* activeView() const = 0;

  // The status bar: the message pane, the text pane and the progress pane.
  virtual void showStatusMessage(const QString& text) = 0;
  virtual QString statusMessage() const = 0;
  virtual QLabel* statusTextPane() const = 0;
  virtual QProgressBar* statusProgress() const = 0;
  // The jobs' share of the progress pane: a running job says how far it is,
  // `done` of `total` ("12 of 342"), or only that it is busy while its total
  // is not known (`total` below 0), and takes its part away when it ends.
  // The pane shows the job that spoke last and is hidden while none runs.
  virtual void showJobProgress(const QString& job, qint64 done, qint64 total) = 0;
  virtual void endJobProgress(const QString& job) = 0;
  // A job's end, however it ended: the message pane says it in place of the
  // job's running text, and a window the user is not looking at asks for
  // attention (QApplication::alert). Ends that leave nothing to decide go
  // here rather than into a message box.
  virtual void showJobEnd(const QString& text) = 0;

  // Replaces the right-hand pane (a placeholder at first) and names the
  // object that opens targets there.
  virtual void setRightPane(QWidget* pane, TargetOpener* opener) = 0;
  virtual QWidget* rightPane() const = 0;
  virtual TargetOpener* targetOpener() const = 0;

  // The toolbar's page-load progress bar, as the browser pages report to it.
  virtual void pageLoadStarted() = 0;
  virtual void pageLoadProgress(long progress, long maximum) = 0;
  virtual QProgressBar* pageLoadProgressBar() const = 0;
};

}  // namespace larkspur::ui
