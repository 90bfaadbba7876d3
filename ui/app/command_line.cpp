#include "ui/app/command_line.h"

namespace larkspur::ui {

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine result;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    auto value = [&](const QString& name, QString& target) {
      if (arg.startsWith(name + QLatin1Char('='))) {
        target = arg.mid(name.size() + 1);
        return true;
      }
      if (arg != name) return false;
      if (i + 1 >= arguments.size()) {
        result.error = QStringLiteral("%1 needs a value").arg(name);
      } else {
        target = arguments[++i];
      }
      return true;
    };
    if (!optionsEnded && arg == QLatin1String("--")) {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
      result.help = true;
    } else if (!optionsEnded && value(QStringLiteral("--service-base"), result.serviceBase)) {
    } else if (!optionsEnded && value(QStringLiteral("--targets-file"), result.targetsFile)) {
    } else if (!optionsEnded && value(QStringLiteral("--screenshot"), result.screenshot)) {
    } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
      result.error = QStringLiteral("unknown option %1").arg(arg);
    } else if (result.projectFile.isEmpty()) {
      result.projectFile = arg;
    } else {
      result.error = QStringLiteral("only one project file can be opened");
    }
    if (!result.error.isEmpty()) break;
  }
  return result;
}

QStringList restartArguments(const QStringList& arguments, const QString& openProject) {
  const CommandLine commandLine = parseCommandLine(arguments);
  QStringList result;
  if (!commandLine.serviceBase.isEmpty()) result << QStringLiteral("--service-base") << commandLine.serviceBase;
  if (!commandLine.targetsFile.isEmpty()) result << QStringLiteral("--targets-file") << commandLine.targetsFile;
  if (!openProject.isEmpty()) result << QStringLiteral("--") << openProject;
  return result;
}

QString commandLineUsage() {
  return QStringLiteral(
      "usage: larkspur [--service-base URL] [--targets-file FILE] [--screenshot FILE] [PROJECT.lkr]\n"
      "  PROJECT.lkr          open this project (else the last one, else a new one)\n"
      "  --service-base URL   send the toolbar query and the other services to\n"
      "                       scheme://host[:port] instead (a mirror or a test server)\n"
      "  --targets-file FILE  show and submit the targets of FILE (the targets text\n"
      "                       format of larkspur-cli submit --targets-file) instead of\n"
      "                       the built-in ones; saving keeps the built-in targets' states\n"
      "  --screenshot FILE    write a picture of the main window to FILE and quit\n");
}

}  // namespace larkspur::ui
