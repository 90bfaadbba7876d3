#pragma once
// The "Help" menu's own commands in the main window: "Help Topic" (the help
// page, found from the program's folder), "Submit Services" (the services
// page) and the about box.

#include <QObject>
#include <QString>

namespace larkspur::ui {

class CommandHost;

class HelpCommands : public QObject {
  Q_OBJECT

 public:
  // A child of the host's window.
  explicit HelpCommands(CommandHost& host);

  void install();

  // "Help Topic" looks for the help page from this folder (the running
  // program's folder by default).
  void setProgramFolder(const QString& folder) { programFolder_ = folder; }
  void openHelpTopic();
  void openServicesPage();
  void showAbout();

 private:
  CommandHost& host_;
  QString programFolder_;
};

}  // namespace larkspur::ui
