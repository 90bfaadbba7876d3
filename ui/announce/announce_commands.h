#pragma once
// "Announce to IndexNow..." in the main window: one AnnounceWindow, brought to
// the front when it is open already, refused with a message when the website
// has no host.

#include <QObject>
#include <QPointer>

namespace larkspur::ui {

class AnnounceWindow;
class CommandHost;
class ProjectDocument;

class AnnounceCommands : public QObject {
  Q_OBJECT

 public:
  // A child of the host's window.
  AnnounceCommands(CommandHost& host, ProjectDocument& doc);

  void install();

  void openAnnounceWindow();
  AnnounceWindow* announceWindow() const;
  // Stops a running announcement and waits for it, so that what it recorded
  // is in the project before the main window asks to save it.
  void endAnnouncement();

 private:
  CommandHost& host_;
  ProjectDocument& doc_;
  QPointer<AnnounceWindow> announce_;
};

}  // namespace larkspur::ui
