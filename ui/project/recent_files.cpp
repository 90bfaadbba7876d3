#include "ui/project/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace larkspur::ui {

namespace {

const char kGroup[] = "Recent File List";

QString normalised(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

}  // namespace

void RecentFiles::add(const QString& path) {
  const QString entry = normalised(path);
  paths_.removeAll(entry);
  paths_.prepend(entry);
  while (paths_.size() > kRecentFileCount) paths_.removeLast();
}

void RecentFiles::remove(const QString& path) { paths_.removeAll(normalised(path)); }

void RecentFiles::load(const QString& file) {
  paths_.clear();
  QSettings settings(file, QSettings::IniFormat);
  settings.beginGroup(QString::fromLatin1(kGroup));
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
    if (!path.isEmpty() && !paths_.contains(path)) paths_.append(path);
  }
}

bool RecentFiles::save(const QString& file) const {
  QSettings settings(file, QSettings::IniFormat);
  settings.remove(QString::fromLatin1(kGroup));
  settings.beginGroup(QString::fromLatin1(kGroup));
  for (int i = 0; i < paths_.size(); ++i) settings.setValue(QStringLiteral("File%1").arg(i + 1), paths_[i]);
  settings.endGroup();
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace larkspur::ui
