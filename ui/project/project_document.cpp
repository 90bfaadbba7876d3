#include "ui/project/project_document.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/web_address.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/project/file_dialogs.h"
#include "ui/project/profile_dialog.h"
#include "ui/project/recent_files.h"

namespace larkspur::ui {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::filesystem::path toPath(const QString& path) { return std::filesystem::path(path.toStdString()); }

QString fromPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// The seventeen texts of a profile, as a byte copy without the derived host.
bool sameProfileTexts(const core::WebsiteProfile& a, const core::WebsiteProfile& b) {
  return std::memcmp(&a, &b, offsetof(core::WebsiteProfile, host)) == 0;
}

}  // namespace

ProjectDocument::ProjectDocument(core::Project& project, core::Settings& settings, RecentFiles& recent, QObject* parent)
    : QObject(parent), project_(project), settings_(settings), recent_(recent) {}

void ProjectDocument::reportFailure(const core::Status& status) {
  MessageBoxes::warn(dialogParent(), status.message.empty() ? QStringLiteral("Failed to open document.")
                                                            : QString::fromStdString(status.message));
}

void ProjectDocument::rememberLastProject(const std::filesystem::path& file) {
  const core::Status recorded = core::recordLastProject(settings_, file.string());
  if (!recorded.ok()) emit statusMessage(QString::fromStdString(recorded.message));
}

void ProjectDocument::setTitle(const QString& title) {
  title_ = title;
  emit titleChanged(title_);
}

QString ProjectDocument::pathName() const { return fromPath(project_.path()); }

bool ProjectDocument::onNewDocument(QStringList* draft) {
  auto profile = std::make_unique<core::WebsiteProfile>();
  {
    ProfileDialog dialog(*profile, ProfileDialog::Mode::Blank, dialogParent());
    if (draft && !draft->isEmpty()) dialog.restoreTypedTexts(*draft);
    if (dialog.exec() != QDialog::Accepted) {
      if (draft) *draft = dialog.typedTexts();
      return false;
    }
  }
  emit aboutToReplaceProject();
  project_.newProject();
  project_.profile = *profile;
  project_.profileChanged();
  settings_.engine_column_widths = core::Settings::defaultEngineColumnWidths();
  emit projectReplaced();
  setTitle(text(core::fieldView(project_.profile.host)));
  project_.setModified(true);
  return true;
}

bool ProjectDocument::onOpenDocument(const QString& given) {
  // Kept as an absolute path: it is the last project of the next start,
  // which may run from another folder.
  const QString path = QFileInfo(given).absoluteFilePath();
  const std::filesystem::path file = toPath(path);
  // The file is read once: the bytes checked are the bytes loaded, so a file
  // changed meanwhile cannot empty the project after the check passed.
  std::vector<uint8_t> bytes;
  const core::Status read = core::readProjectFile(file, bytes);
  if (!read.ok()) {
    reportFailure(read);
    return false;
  }
  {
    // Parse the bytes on the side first: content that fails must not empty
    // the project that is open now.
    auto trial = std::make_unique<core::Project>();
    trial->setEngineSource(project_.engineSource());
    const core::Status checked = trial->load(file, bytes);
    if (!checked.ok()) {
      reportFailure(checked);
      return false;
    }
  }
  emit aboutToReplaceProject();
  const core::Status opened = project_.load(file, std::move(bytes));
  emit projectReplaced();
  if (!opened.ok()) {
    reportFailure(opened);
    return false;
  }
  setTitle(text(core::fieldView(project_.profile.url)));
  rememberLastProject(file);
  recent_.add(path);
  emit recentFilesChanged();
  return true;
}

std::size_t ProjectDocument::targetCount() const {
  const std::size_t all = project_.engines.size();
  return targetCount_ ? std::min(*targetCount_, all) : all;
}

void ProjectDocument::setModified(bool modified) {
  if (project_.modified() == modified) return;
  project_.setModified(modified);
  emit modifiedChanged(modified);
}

bool ProjectDocument::doSave(const QString& given) {
  const QString path = QFileInfo(given).absoluteFilePath();
  const std::filesystem::path file = toPath(path);
  const bool wasModified = project_.modified();
  // Another program (a larkspur-cli job, another window) saved over the file
  // since it was read: saving now would throw its work away unasked.
  if (file == project_.path() && project_.changedOnDisk()) {
    const QMessageBox::StandardButton answer = MessageBoxes::ask(
        dialogParent(),
        QStringLiteral("%1 was changed on disk by another program since Larkspur read it. "
                       "Overwrite it with the project shown here?")
            .arg(QFileInfo(path).fileName()),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
  }
  const core::Status saved = project_.save(file);
  if (!saved.ok()) {
    MessageBoxes::warn(dialogParent(), QString::fromStdString(saved.message));
    return false;
  }
  if (wasModified) emit modifiedChanged(false);
  rememberLastProject(file);
  recent_.add(path);
  emit recentFilesChanged();
  return true;
}

bool ProjectDocument::fileNew() {
  if (!saveModified()) return false;
  return onNewDocument();
}

void ProjectDocument::fileOpen() {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Open;
  request.caption = QStringLiteral("Open");
  request.filter = QString::fromLatin1(kProjectFileFilter);
  request.proposedPath = startFolder(project_.path());
  const QString path = FileDialogs::run(dialogParent(), request);
  if (path.isEmpty()) return;
  openDocumentFile(path);
}

bool ProjectDocument::openDocumentFile(const QString& path) {
  // The project open now is not read again.
  if (!project_.path().empty() && QFileInfo(path).absoluteFilePath() == QFileInfo(pathName()).absoluteFilePath()) {
    return true;
  }
  if (!saveModified()) return false;
  if (onOpenDocument(path)) return true;
  if (recent_.paths().contains(QFileInfo(path).absoluteFilePath())) {
    recent_.remove(path);
    emit recentFilesChanged();
  }
  return false;
}

bool ProjectDocument::save() {
  if (project_.path().empty()) return saveAs();
  return doSave(pathName());
}

bool ProjectDocument::saveAs() {
  QString proposed = pathName();
  if (proposed.isEmpty()) {
    proposed = title_;
    const qsizetype bad = proposed.indexOf(QRegularExpression(QStringLiteral("[:/\\\\]")));
    if (bad >= 0) proposed.truncate(bad);
    proposed = inStartFolder(project_.path(), proposed + QLatin1Char('.') + QString::fromLatin1(kProjectFileSuffix));
  }
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Save;
  request.caption = QStringLiteral("Save As");
  request.filter = QString::fromLatin1(kProjectFileFilter);
  request.defaultSuffix = QString::fromLatin1(kProjectFileSuffix);
  request.proposedPath = proposed;
  const QString path = FileDialogs::run(dialogParent(), request);
  if (path.isEmpty()) return false;
  return doSave(path);
}

bool ProjectDocument::saveModified() {
  if (!project_.modified()) return true;
  QString name = project_.path().empty() ? title_ : QFileInfo(pathName()).fileName();
  if (name.isEmpty()) name = QStringLiteral("Untitled");
  const QMessageBox::StandardButton answer =
      MessageBoxes::ask(dialogParent(), QStringLiteral("Save changes to %1?").arg(name),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Yes) return save();
  return true;
}

bool ProjectDocument::editProfile() {
  const auto before = std::make_unique<core::WebsiteProfile>(project_.profile);
  ProfileDialog dialog(project_.profile, ProfileDialog::Mode::Prefilled, dialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;
  project_.profileChanged();
  // A changed profile is a change of the project: without this the edit
  // would be lost at exit without a question.
  if (!sameProfileTexts(*before, project_.profile)) setModified(true);
  return true;
}

bool ProjectDocument::requireWebsite() {
  const std::optional<std::string> problem = core::websiteUrlProblem(core::fieldView(project_.profile.url));
  if (!problem) return true;
  MessageBoxes::warn(dialogParent(),
                     QStringLiteral("This project has no website to work for: %1.\n"
                                    "Enter your website's address with \"Edit website info\" in the Project menu.")
                         .arg(QString::fromStdString(*problem)));
  return false;
}

}  // namespace larkspur::ui
