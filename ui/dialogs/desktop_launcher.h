#pragma once
// What the program hands to the desktop: addresses it opens with the user's
// programs (web pages in the browser, mailto: in the mail program, the
// reports and the help page) and programs it starts on their own (the
// network settings). Every call goes through the launcher in use, so a test
// can stand in for the desktop; when the desktop fails, the user is told what
// to do by hand.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

namespace larkspur::ui {

struct DesktopLauncher {
  // Opens an address with the desktop's program for it; false when none
  // could be started (QDesktopServices::openUrl).
  std::function<bool(const QUrl& url)> openUrl;
  // The full path of a program found on the PATH; empty when there is none.
  std::function<QString(const QString& program)> findProgram;
  // Starts a program on its own; false when it could not be started.
  std::function<bool(const QString& program, const QStringList& arguments)> startProgram;

  // The desktop's own: QDesktopServices, QStandardPaths and QProcess.
  static DesktopLauncher system();
};

// The launcher the program uses (the system's unless a test replaced it).
DesktopLauncher& desktopLauncher();

// The sentence telling that no program could open `url`, naming the address
// (a local file by its path) so that the user can open it by hand.
QString desktopOpenFailure(const QUrl& url);

// Opens `url` with the desktop; when that fails, says so in a message box
// over `parent`. Returns whether it was opened.
bool openOnDesktop(QWidget* parent, const QUrl& url);

}  // namespace larkspur::ui
