#include "ui/project/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

namespace larkspur::ui {

namespace {

FileDialogs::Responder& responder() {
  static FileDialogs::Responder instance;
  return instance;
}

QString firstSuffix(const QString& nameFilter) {
  const qsizetype open = nameFilter.indexOf(QLatin1Char('('));
  const qsizetype close = nameFilter.indexOf(QLatin1Char(')'), open);
  if (open < 0 || close < 0) return {};
  const QString patterns = nameFilter.mid(open + 1, close - open - 1);
  for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    if (pattern.startsWith(QStringLiteral("*.")) && pattern.size() > 2 && pattern.indexOf(QLatin1Char('*'), 1) < 0) {
      return pattern.mid(2);
    }
  }
  return {};
}

}  // namespace

QString withChosenSuffix(const QString& path, const QString& nameFilter, const QString& fallback) {
  if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  QString suffix = firstSuffix(nameFilter);
  if (suffix.isEmpty()) suffix = fallback;
  if (suffix.isEmpty()) return path;
  return path + QLatin1Char('.') + suffix;
}

QString startFolder(const std::filesystem::path& projectFile) {
  if (!projectFile.empty()) {
    return QFileInfo(QString::fromStdString(projectFile.string())).absolutePath();
  }
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

QString inStartFolder(const std::filesystem::path& projectFile, const QString& name) {
  return QDir(startFolder(projectFile)).filePath(name);
}

void FileDialogs::setResponder(Responder r) { responder() = std::move(r); }

QString FileDialogs::run(QWidget* parent, const FileDialogRequest& request) {
  const bool saving = request.mode == FileDialogRequest::Mode::Save;
  const QString firstFilter = request.filter.section(QStringLiteral(";;"), 0, 0);
  if (responder()) {
    QString chosen = firstFilter;
    const QString path = responder()(request, chosen);
    return saving ? withChosenSuffix(path, chosen, request.defaultSuffix) : path;
  }
  QFileDialog dialog(parent, request.caption);
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(request.filter);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
  if (saving) {
    // The dialog's own check for a file it would overwrite sees the name with
    // the chosen filter's extension.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
      const QString suffix = firstSuffix(filter);
      dialog.setDefaultSuffix(suffix.isEmpty() ? request.defaultSuffix : suffix);
    });
  }
  if (!request.proposedPath.isEmpty()) {
    const QFileInfo info(request.proposedPath);
    if (info.isDir()) {
      dialog.setDirectory(request.proposedPath);
    } else {
      if (info.path() != QStringLiteral(".")) dialog.setDirectory(info.path());
      dialog.selectFile(info.fileName());
    }
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return {};
  return saving ? withChosenSuffix(files.first(), dialog.selectedNameFilter(), request.defaultSuffix) : files.first();
}

}  // namespace larkspur::ui
