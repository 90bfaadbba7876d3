#include "ui/app/network_settings.h"

#include "ui/dialogs/desktop_launcher.h"
#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

QStringList networkSettingsCommand(const std::function<bool(const QString&)>& isInstalled) {
  // Proxy pages first where a desktop has one, then the general network
  // settings.
  static const QStringList kCandidates[] = {
      {QStringLiteral("gnome-control-center"), QStringLiteral("network")},
      {QStringLiteral("kcmshell6"), QStringLiteral("kcm_proxy")},
      {QStringLiteral("kcmshell5"), QStringLiteral("proxy")},
      {QStringLiteral("systemsettings"), QStringLiteral("kcm_networkmanagement")},
      {QStringLiteral("cinnamon-settings"), QStringLiteral("network")},
      {QStringLiteral("mate-network-properties")},
      {QStringLiteral("nm-connection-editor")},
  };
  for (const QStringList& candidate : kCandidates) {
    if (isInstalled(candidate.first())) return candidate;
  }
  return {};
}

QStringList availableNetworkSettingsCommand() {
  const DesktopLauncher& launcher = desktopLauncher();
  if (!launcher.findProgram) return {};
  return networkSettingsCommand(
      [&launcher](const QString& program) { return !launcher.findProgram(program).isEmpty(); });
}

bool openNetworkSettings(QWidget* parent) {
  QStringList command = availableNetworkSettingsCommand();
  if (command.isEmpty()) {
    MessageBoxes::warn(parent, QStringLiteral("No program for the network settings was found (such as "
                                              "gnome-control-center or nm-connection-editor).\n"
                                              "Open your desktop's network settings by hand."));
    return false;
  }
  const QString program = command.takeFirst();
  const DesktopLauncher& launcher = desktopLauncher();
  if (launcher.startProgram && launcher.startProgram(program, command)) return true;
  MessageBoxes::warn(parent, QStringLiteral("The network settings could not be opened: %1 did not start.\n"
                                            "Open your desktop's network settings by hand.")
                                 .arg(program));
  return false;
}

}  // namespace larkspur::ui
