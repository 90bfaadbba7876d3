#pragma once
// "Online Update" in the main window: the modal update dialog over a run that
// may outlive it; disabled while a run goes on. When the user wants the new
// program at once, the main window closes and, if it did, the restart is
// handed the new program.

#include <QObject>
#include <functional>

#include "update/online_update.h"
#include "ui/update/update_run.h"

namespace larkspur::ui {

class CommandHost;

class UpdateCommands : public QObject {
  Q_OBJECT

 public:
  // What starts `program` once this one has ended.
  using Restart = std::function<void(const QString& program)>;

  // A child of the host's window.
  explicit UpdateCommands(CommandHost& host);

  void install();

  void runOnlineUpdate();
  void setRestart(Restart restart) { restart_ = std::move(restart); }
  UpdateRun& updateRun() { return update_; }
  // Makes the set-up of each update run (the update server, this program's
  // version and file); update::defaultUpdateSetup by default.
  void setUpdateSetup(std::function<update::UpdateAgentSetup()> factory) { updateSetup_ = std::move(factory); }
  // Ends a running update for good (when the main window closes).
  void shutDown() { update_.finish(); }

 private:
  CommandHost& host_;
  UpdateRun update_;
  std::function<update::UpdateAgentSetup()> updateSetup_;
  Restart restart_;
};

}  // namespace larkspur::ui
