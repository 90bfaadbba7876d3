#include "ui/app/network_settings.h"

#include <QProcess>
#include <QStandardPaths>

namespace larkspur::ui {

QStringList networkSettingsCommand(const std::function<bool(const QString&)>& isInstalled) {
  // Proxy pages first where a desktop has one, then the general network
  // settings.
  static const QStringList kCandidates[] = {
      {QStringLiteral("gnome-control-center"), QStringLiteral("network")},
      {QStringLiteral("kcmshell6"), QStringLiteral("kcm_proxy")},
      {QStringLiteral("kcmshell5"), QStringLiteral("proxy")},
      {QStringLiteral("cinnamon-settings"), QStringLiteral("network")},
      {QStringLiteral("mate-network-properties")},
      {QStringLiteral("nm-connection-editor")},
  };
  for (const QStringList& candidate : kCandidates) {
    if (isInstalled(candidate.first())) return candidate;
  }
  return {};
}

bool openNetworkSettings() {
  QStringList command = networkSettingsCommand(
      [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
  if (command.isEmpty()) return false;
  const QString program = command.takeFirst();
  return QProcess::startDetached(program, command);
}

}  // namespace larkspur::ui
