#include "ui/project/file_dialogs.h"

#include <QFileDialog>
#include <utility>

namespace larkspur::ui {

namespace {

FileDialogs::Responder& responder() {
  static FileDialogs::Responder instance;
  return instance;
}

}  // namespace

void FileDialogs::setResponder(Responder r) { responder() = std::move(r); }

QString FileDialogs::run(QWidget* parent, const FileDialogRequest& request) {
  if (responder()) return responder()(request);
  QFileDialog dialog(parent, request.caption);
  const bool save = request.mode == FileDialogRequest::Mode::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(request.filter);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
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
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace larkspur::ui
