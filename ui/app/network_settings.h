#pragma once
// "Internet Option": the desktop's network or proxy settings, when a program
// for them is installed.

#include <QStringList>
#include <functional>

class QWidget;

namespace larkspur::ui {

// The command (program and arguments) for the first known settings program
// that `isInstalled` reports; empty when there is none.
QStringList networkSettingsCommand(const std::function<bool(const QString& program)>& isInstalled);

// The command for the settings program the desktop launcher finds on the
// PATH; empty when there is none (the menu entry is not shown then).
QStringList availableNetworkSettingsCommand();

// Starts the settings program. When there is none, or it does not start, the
// user is told so in a message box over `parent`. Returns whether a program
// was started.
bool openNetworkSettings(QWidget* parent);

}  // namespace larkspur::ui
