#include "ui/app/help_page.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef LARKSPUR_HELP_RELATIVE_DIR
#define LARKSPUR_HELP_RELATIVE_DIR "../share/larkspur/help"
#endif

namespace larkspur::ui {

QString findHelpPage(const QString& programFolder) {
  if (!programFolder.isEmpty()) {
    const QString beside = QDir(programFolder).filePath(QStringLiteral(LARKSPUR_HELP_RELATIVE_DIR "/") +
                                                        QString::fromLatin1(kHelpPageName));
    if (QFileInfo(beside).isFile()) return QFileInfo(beside).canonicalFilePath();
  }
  return QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                QStringLiteral("larkspur/help/") + QString::fromLatin1(kHelpPageName));
}

QUrl servicesPageUrl() { return QUrl(QString::fromLatin1(kServicesPageAddress)); }

}  // namespace larkspur::ui
