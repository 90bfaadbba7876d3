#pragma once
// The project document: New, Open, Save and Save As over the open project,
// its title, the "Save changes" question and the last project path. The data
// are the Project's; the document only decides when they are replaced and
// signals before and after, so the windows let go of the old records and
// rebuild their views. It knows no window: dialogs open over the widget
// given by setDialogParent.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstddef>
#include <optional>

#include "core/project.h"
#include "core/settings_store.h"
#include "core/status.h"

namespace larkspur::ui {

class RecentFiles;

inline constexpr char kProjectFileFilter[] = "Larkspur File (*.lkr)";
inline constexpr char kProjectFileSuffix[] = "lkr";

class ProjectDocument : public QObject {
  Q_OBJECT

 public:
  ProjectDocument(core::Project& project, core::Settings& settings, RecentFiles& recent, QObject* parent = nullptr);

  // The window the document's dialogs and message boxes open over.
  void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

  // New: the blank profile dialog first; only when it is accepted are the
  // tables cleared and rebuilt, so cancelling leaves the open project as it
  // was. The title becomes the website host name; the project is modified.
  // With `draft`, the dialog starts from what it holds and leaves there what
  // was typed when it is cancelled.
  bool onNewDocument(QStringList* draft = nullptr);
  // Open: the file is read once and its bytes checked before anything is
  // cleared, so a file that cannot be read or does not parse leaves the open
  // project as it was. The title becomes the full website URL; the path
  // becomes the last project (see rememberLastProject).
  bool onOpenDocument(const QString& path);
  // Saves to `path`; on success the path becomes the last project path (see
  // rememberLastProject).
  bool doSave(const QString& path);

  // Commands, with the questions and dialogs they involve. fileNew returns
  // whether a new project was made.
  bool fileNew();
  void fileOpen();
  bool openDocumentFile(const QString& path);
  bool save();
  bool saveAs();
  // Asks "Save changes to %1?" when the project is modified; false when the
  // user cancels (or a save fails).
  bool saveModified();
  // "Edit website info": the profile dialog over the current profile.
  bool editProfile();
  // Whether the profile names a website the submissions, link searches and
  // reports can work for: an http or https address with a host name. When it
  // does not, the user is told why and where to enter it, and false comes
  // back: the command does not start.
  bool requireWebsite();

  QString title() const { return title_; }
  void setTitle(const QString& title);
  QString pathName() const;
  bool isModified() const { return project_.modified(); }
  void setModified(bool modified);

  core::Project& project() { return project_; }
  core::Settings& settings() { return settings_; }

  // The targets the program shows, checks and submits: the first `count`
  // records of the Engine table (the targets of a targets file, before the
  // built-in targets it does not name), or every record when none is given.
  void setTargetCount(std::optional<std::size_t> count) { targetCount_ = count; }
  std::size_t targetCount() const;
  RecentFiles& recentFiles() { return recent_; }

 signals:
  void titleChanged(const QString& title);
  void recentFilesChanged();
  // Before a new or opened project replaces the records: whatever holds or
  // works on them lets go now.
  void aboutToReplaceProject();
  // After the records were replaced (also when the file failed to load).
  void projectReplaced();
  // A notice for the status bar.
  void statusMessage(const QString& text);
  // The project has got unsaved changes, or has been saved (a new or
  // opened project says so with projectReplaced).
  void modifiedChanged(bool modified);

 private:
  QWidget* dialogParent() const { return dialogParent_; }
  // Records `file` as the last project; a path too long for the settings is
  // not recorded, and the status bar says so.
  void rememberLastProject(const std::filesystem::path& file);
  void reportFailure(const core::Status& status);

  core::Project& project_;
  core::Settings& settings_;
  RecentFiles& recent_;
  QPointer<QWidget> dialogParent_;
  QString title_;
  std::optional<std::size_t> targetCount_;
};

}  // namespace larkspur::ui
