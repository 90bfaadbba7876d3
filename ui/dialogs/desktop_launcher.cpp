#include "ui/dialogs/desktop_launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

DesktopLauncher DesktopLauncher::system() {
  DesktopLauncher launcher;
  launcher.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  launcher.findProgram = [](const QString& program) { return QStandardPaths::findExecutable(program); };
  launcher.startProgram = [](const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
  };
  return launcher;
}

DesktopLauncher& desktopLauncher() {
  static DesktopLauncher launcher = DesktopLauncher::system();
  return launcher;
}

QString desktopOpenFailure(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (url.isLocalFile()) {
    return QStringLiteral("No program could be started to open the file %1.\nOpen it by hand.")
        .arg(QDir::toNativeSeparators(url.toLocalFile()));
  }
  if (scheme == QLatin1String("mailto")) {
    return QStringLiteral("No e-mail program could be started to write to %1.\nWrite to that address by hand.")
        .arg(url.path(QUrl::FullyDecoded));
  }
  return QStringLiteral("No web browser could be started to open %1.\nOpen that address in your browser by hand.")
      .arg(url.toString(QUrl::FullyEncoded));
}

bool openOnDesktop(QWidget* parent, const QUrl& url) {
  const DesktopLauncher& launcher = desktopLauncher();
  if (launcher.openUrl && launcher.openUrl(url)) return true;
  MessageBoxes::warn(parent, desktopOpenFailure(url));
  return false;
}

}  // namespace larkspur::ui
