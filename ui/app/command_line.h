#pragma once
// The desktop program's command line:
//   larkspur [--service-base URL] [--screenshot FILE] [PROJECT.lkr]

#include <QString>
#include <QStringList>

namespace larkspur::ui {

struct CommandLine {
  QString projectFile;  // the project to open; empty when none is named
  QString serviceBase;  // replaces scheme, host and port of the service URLs
  QString screenshot;   // write a picture of the main window there, then quit
  bool help = false;
  QString error;        // set when the arguments make no sense
};

// `arguments` without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

QString commandLineUsage();

}  // namespace larkspur::ui
