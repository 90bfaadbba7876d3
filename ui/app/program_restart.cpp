#include "ui/app/program_restart.h"

#include <QProcess>
#include <utility>

namespace larkspur::ui {

ProgramRestart::ProgramRestart()
    : starter_([](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
      }) {}

void ProgramRestart::request(const QString& program, const QStringList& arguments) {
  program_ = program;
  arguments_ = arguments;
}

bool ProgramRestart::startIfRequested() {
  if (!requested()) return false;
  const QString program = std::exchange(program_, QString());
  const QStringList arguments = std::exchange(arguments_, QStringList());
  return starter_ && starter_(program, arguments);
}

}  // namespace larkspur::ui
