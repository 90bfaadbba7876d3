#pragma once
// The program's start-up and shut-down: settings, the document and the main
// window, and which project opens first.

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "core/coordination.h"
#include "core/project.h"
#include "core/settings_store.h"
#include "ui/app/command_line.h"
#include "ui/app/program_restart.h"
#include "ui/project/recent_files.h"

namespace larkspur::ui {

class CommandHost;
class ProjectDocument;
class MainWindow;

class LarkspurApplication : public QObject {
  Q_OBJECT

 public:
  explicit LarkspurApplication(core::Coordination& coordination = core::processCoordination());
  ~LarkspurApplication() override;

  // Loads the settings, makes the main window and opens the first project:
  // a project named on the command line; else, or when it cannot be opened,
  // the last project; else, or when that cannot be opened either, a new one
  // (the blank profile dialog). With a targets file the program shows and
  // submits its targets in place of the built-in ones; a file that cannot be
  // read is said so, and the built-in targets are taken. Returns false when
  // the program is to end: the settings could not be loaded or the user,
  // told that Larkspur needs a website profile when cancelling the new
  // project, chose to quit.
  // Shows the main window as it was left last time (maximised on the first
  // start) unless `show` is false.
  bool startUp(const CommandLine& commandLine, bool show = true);
  // Writes the settings, the recent-file list and the main window's layout;
  // false when the settings could not be written (the user has been told).
  bool shutDown();

  MainWindow* frame() const { return frame_.get(); }
  // The main window as the features see it.
  CommandHost* host() const;
  ProjectDocument* doc() const { return doc_.get(); }
  core::Project& project() { return *project_; }
  core::Settings& settings() { return settings_; }
  const core::SettingsStore& settingsStore() const { return store_; }
  QString recentFilesPath() const;
  // The main window's remembered layout, beside the settings blob.
  QString windowLayoutPath() const;
  // The new program to start once this one has ended (after an online
  // update); the program's exit path starts it.
  ProgramRestart& programRestart() { return restart_; }

 private:
  core::Coordination& coordination_;
  core::SettingsStore store_;
  core::Settings settings_;
  // The Engine table's records when a targets file names the targets (its
  // targets, then the built-in rest); it outlives the project built from it.
  std::vector<core::EngineRecord> targetSource_;
  std::unique_ptr<core::Project> project_;
  RecentFiles recent_;
  std::unique_ptr<ProjectDocument> doc_;
  std::unique_ptr<MainWindow> frame_;
  ProgramRestart restart_;
  bool settingsLoaded_ = false;

  // The first project when there is none to open: the blank profile dialog
  // until it is accepted or the user chooses to quit (false).
  bool startNewProject();
};

}  // namespace larkspur::ui
