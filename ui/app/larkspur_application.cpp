#include "ui/app/larkspur_application.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "core/engine_table.h"
#include "core/targets_text.h"
#include "ui/app/main_window.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

namespace {

const char kRecentFilesName[] = "recentfiles.ini";

// For the error of core::readTargetsFile ("FILE:LINE: reason").
QString targetsFileProblem(const std::string& error) {
  return QStringLiteral("The targets file cannot be used: %1.\nLarkspur shows its built-in targets.")
      .arg(QString::fromStdString(error));
}

}  // namespace

LarkspurApplication::LarkspurApplication(core::Coordination& coordination)
    : coordination_(coordination),
      store_(core::SettingsStore::defaultFolder()),
      project_(std::make_unique<core::Project>()) {}

LarkspurApplication::~LarkspurApplication() {
  // The window goes before the document it shows.
  frame_.reset();
  doc_.reset();
}

CommandHost* LarkspurApplication::host() const { return frame_.get(); }

QString LarkspurApplication::recentFilesPath() const {
  return QString::fromStdString((store_.folder() / kRecentFilesName).string());
}

QString LarkspurApplication::windowLayoutPath() const {
  return QString::fromStdString((store_.folder() / kWindowLayoutFileName).string());
}

bool LarkspurApplication::startUp(const CommandLine& commandLine, bool show) {
  const core::Status loaded = store_.load(settings_);
  if (!loaded.ok()) {
    const QString reason = QString::fromStdString(loaded.message);
    if (!reason.isEmpty() && reason != QLatin1String(core::kLoadSystemDataError)) {
      MessageBoxes::warn(nullptr, reason);
    }
    MessageBoxes::warn(nullptr, QString::fromLatin1(core::kLoadSystemDataError));
    return false;
  }
  settingsLoaded_ = true;
  recent_.load(recentFilesPath());

  std::optional<std::size_t> targetCount;
  if (!commandLine.targetsFile.isEmpty()) {
    // Read as larkspur-cli submit reads it; the built-in targets it does not
    // name follow its own, so that saving keeps their states.
    core::TargetsText parsed = core::readTargetsFile(commandLine.targetsFile.toStdString());
    if (parsed.ok()) {
      targetCount = parsed.records.size();
      targetSource_ = core::withBuiltInRest(parsed.records);
      project_->setEngineSource(targetSource_);
    } else {
      MessageBoxes::warn(nullptr, targetsFileProblem(parsed.error));
    }
  }

  doc_ = std::make_unique<ProjectDocument>(*project_, settings_, recent_);
  doc_->setTargetCount(targetCount);
  frame_ = std::make_unique<MainWindow>(*doc_, coordination_);
  // Before the first project: its link list shows the columns chosen last.
  const WindowLayout layout = readWindowLayout(windowLayoutPath());
  frame_->restoreWindowLayout(layout);
  frame_->setProgramRestart(&restart_);

  bool opened = false;
  QString tried;
  if (!commandLine.projectFile.isEmpty()) {
    // A file the user named wins over the last project. When it cannot be
    // opened the user has been told why, and the start goes on as usual.
    tried = QFileInfo(commandLine.projectFile).absoluteFilePath();
    opened = doc_->onOpenDocument(commandLine.projectFile);
  }
  const QString last = QString::fromStdString(settings_.last_project);
  if (!opened && !last.isEmpty() && QFileInfo(last).absoluteFilePath() != tried) {
    opened = doc_->onOpenDocument(last);
  }
  if (!opened && !startNewProject()) return false;

  if (show) {
    if (layout.geometry.isEmpty()) {
      frame_->showMaximized();
    } else {
      frame_->show();  // maximised again when it was left so
    }
  }
  return true;
}

bool LarkspurApplication::startNewProject() {
  // What was typed before a cancel is there again for "Fill In Profile".
  QStringList draft;
  while (!doc_->onNewDocument(&draft)) {
    const MessageBoxRequest question{
        MessageBoxRequest::Kind::Question, QString(),
        QStringLiteral("Larkspur needs a website profile to work: the submissions, link searches, reports and "
                       "announcements are all made for the website it describes.\n\n"
                       "Fill in the profile now, or quit Larkspur?"),
        QMessageBox::Retry | QMessageBox::Close, QMessageBox::Retry,
        {{QMessageBox::Retry, QStringLiteral("Fill In Profile")}, {QMessageBox::Close, QStringLiteral("Quit")}}};
    if (MessageBoxes::show(nullptr, question) != QMessageBox::Retry) return false;
  }
  return true;
}

bool LarkspurApplication::shutDown() {
  if (!settingsLoaded_) return true;
  bool ok = true;
  const core::Status saved = store_.save(settings_);
  if (!saved.ok()) {
    MessageBoxes::warn(frame_.get(), QString::fromStdString(saved.message));
    ok = false;
  }
  recent_.save(recentFilesPath());
  if (frame_) writeWindowLayout(windowLayoutPath(), frame_->windowLayout());
  return ok;
}

}  // namespace larkspur::ui
