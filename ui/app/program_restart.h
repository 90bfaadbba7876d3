#pragma once
// Starting the program again after an online update. The request is taken
// while the program runs and carried out once, after the event loop has
// ended and the settings are written, so the new program starts after this
// one has closed normally. The starter can be replaced so that tests start
// nothing.

#include <QString>
#include <QStringList>
#include <functional>

namespace larkspur::ui {

class ProgramRestart {
 public:
  // Starts `program` with `arguments` as a process of its own; true when it started.
  using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

  ProgramRestart();  // starts with QProcess::startDetached

  void setStarter(Starter starter) { starter_ = std::move(starter); }

  // The program to start at exit; a later request replaces an earlier one.
  void request(const QString& program, const QStringList& arguments);
  bool requested() const { return !program_.isEmpty(); }
  const QString& program() const { return program_; }
  const QStringList& arguments() const { return arguments_; }

  // Starts the requested program, once; false when none was requested or it
  // could not be started.
  bool startIfRequested();

 private:
  Starter starter_;
  QString program_;
  QStringList arguments_;
};

}  // namespace larkspur::ui
