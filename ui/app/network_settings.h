#pragma once
// "Internet Option": the desktop's network or proxy settings, when a program
// for them is installed.

#include <QStringList>
#include <functional>

namespace larkspur::ui {

// The command (program and arguments) for the first known settings program
// that `isInstalled` reports; empty when there is none.
QStringList networkSettingsCommand(const std::function<bool(const QString& program)>& isInstalled);

// Starts the settings program found on the PATH; does nothing without one.
// Returns whether a program was started.
bool openNetworkSettings();

}  // namespace larkspur::ui
