#pragma once
// The main window's commands for printing the active list, the advertising
// calculators, announcing the website to IndexNow, the online update, help,
// the services page and the about box. Installed on the frame when it is
// made; shutDown() (when the window closes) closes the calculator window and
// ends a running update.

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "update/online_update.h"
#include "ui/printing/list_print_description.h"
#include "ui/update/update_run.h"

namespace larkspur::ui {

class AdvertiseCalculatorDialog;
class AnnounceWindow;
class ProjectDocument;
class MainWindow;
class PrintCommands;
class ProgramRestart;

class ToolCommands : public QObject {
  Q_OBJECT

 public:
  ToolCommands(MainWindow& frame, ProjectDocument& doc);
  ~ToolCommands() override;

  void shutDown();

  // "ROI Calculator": one window at a time, brought to the front when it is
  // open already.
  void openCalculator();
  AdvertiseCalculatorDialog* calculator() const;

  // "Announce to IndexNow": one window, brought to the front when it is open
  // already. Refused with a message when the website has no host.
  void openAnnounceWindow();
  AnnounceWindow* announceWindow() const;
  // Stops a running announcement and waits for it, so that what it recorded
  // is in the project before the main window asks to save it.
  void endAnnouncement();

  // The view of the active work area when it can be printed, or nullptr.
  const ListPrintSource* activeSource() const;
  // The list of the active work area when it can be printed, with the
  // program's name as title and the document's title as subtitle.
  std::optional<ListPrintDescription> activeList() const;
  PrintCommands& printCommands() const { return *print_; }

  // "Online Update": the modal dialog over a run that may outlive it. When
  // the user wants the new program at once, the main window closes and, if
  // it did, the new program is handed to the restart.
  void runOnlineUpdate();
  void setProgramRestart(ProgramRestart* restart) { restart_ = restart; }
  UpdateRun& updateRun() { return update_; }
  // Makes the set-up of each update run (the update server, this program's
  // version and file); update::defaultUpdateSetup by default.
  void setUpdateSetup(std::function<update::UpdateAgentSetup()> factory) { updateSetup_ = std::move(factory); }

  // "Help Topic" looks for the help page from this folder (the running
  // program's folder by default).
  void setProgramFolder(const QString& folder) { programFolder_ = folder; }
  void openHelpTopic();
  void openServicesPage();
  void showAbout();

 private:
  void install();

  MainWindow& frame_;
  ProjectDocument& doc_;
  PrintCommands* print_ = nullptr;
  QPointer<AdvertiseCalculatorDialog> calculator_;
  QPointer<AnnounceWindow> announce_;
  UpdateRun update_;
  std::function<update::UpdateAgentSetup()> updateSetup_;
  ProgramRestart* restart_ = nullptr;
  QString programFolder_;
};

}  // namespace larkspur::ui
