#pragma once
// The desktop program's command line:
//   larkspur [--service-base URL] [--targets-file FILE] [--screenshot FILE] [PROJECT.lkr]

#include <QString>
#include <QStringList>

namespace larkspur::ui {

struct CommandLine {
  QString projectFile;  // the project to open; empty when none is named
  QString serviceBase;  // replaces scheme, host and port of the service URLs
  QString targetsFile;  // the targets to show and submit instead of the built-in ones
  QString screenshot;   // write a picture of the main window there, then quit
  bool help = false;
  QString error;        // set when the arguments make no sense
};

// `arguments` without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

QString commandLineUsage();

// The arguments to start the program again with, from the ones it was
// started with: the service base and the targets file, if given, and the project open
// now (`openProject`, when it has a file) rather than the one named at the
// start. A restart is an ordinary start: no screenshot.
QStringList restartArguments(const QStringList& arguments, const QString& openProject);

}  // namespace larkspur::ui
