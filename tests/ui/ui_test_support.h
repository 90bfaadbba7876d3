#pragma once
// Helpers for the desktop program's tests: a private configuration folder,
// answers for message boxes and file dialogs, a way to act on a modal dialog
// while it runs, starting and ending the program on a project file (alone or
// as the shared start-up fixture), what its features made in the window, a
// recorder for the addresses handed to the desktop, and the pages of a PDF.

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/project.h"
#include "ui/app/command_host.h"
#include "ui/app/larkspur_application.h"
#include "ui/dialogs/desktop_launcher.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/project/file_dialogs.h"

namespace larkspur::ui {
class MainWindow;
}

namespace larkspur::test {

// The address of the project most tests start the program on.
inline constexpr const char* kGardenSite = "http://www.example-garden.com/";

// XDG_CONFIG_HOME pointing at a fresh temporary folder while the object lives.
class ScopedConfigHome {
 public:
  ScopedConfigHome();
  ~ScopedConfigHome();
  QString path() const { return dir_.path(); }
  // The settings folder of the program inside it.
  QString settingsFolder() const { return dir_.path() + QStringLiteral("/NORVELLA/Larkspur"); }

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
  bool hadPrevious_;
};

// Answers every message box: records its text and returns the next queued
// answer (OK, or the first button offered, when none is queued).
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  void queueAnswer(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
  const QStringList& texts() const { return texts_; }
  void clear() { texts_.clear(); }

 private:
  QStringList texts_;
  std::deque<QMessageBox::StandardButton> answers_;
};

// Answers file dialogs with queued paths (empty: cancelled); records requests.
class FileDialogAnswers {
 public:
  FileDialogAnswers();
  ~FileDialogAnswers();
  // The path the next dialog returns and, when given, the filter chosen in it.
  void queue(const QString& path, const QString& filter = {}) { paths_.emplace_back(path, filter); }
  const std::vector<ui::FileDialogRequest>& requests() const { return requests_; }

 private:
  std::deque<std::pair<QString, QString>> paths_;
  std::vector<ui::FileDialogRequest> requests_;
};

// Stands in for the desktop (ui::desktopLauncher) while it lives: finds only the `installed` programs, records
// those started, hands addresses on to QDesktopServices; with `works` false, opening and starting fail.
class DesktopStandIn {
 public:
  explicit DesktopStandIn(QStringList installedPrograms = {});
  ~DesktopStandIn();
  QStringList installed;
  bool works = true;
  QList<QStringList> started;  // program, then its arguments

 private:
  ui::DesktopLauncher previous_;
};

// Calls `action` with the first modal widget that shows up (polled every few
// milliseconds), once. The returned timer stops itself after acting.
QTimer* whenModal(std::function<void(QWidget* modal)> action, int timeoutMs = 10000);

// A project file with a fresh target table and a profile with this URL.
void writeProject(const QString& path, const std::string& url, const std::string& country = "",
                  std::function<void(core::Project&)> change = {});

// Starts the program on a project file, its window not shown; false when it
// does not start.
bool startOn(ui::LarkspurApplication& app, const QString& projectFile);

// Ends the program without the "Save changes" question.
void closeQuietly(std::unique_ptr<ui::LarkspurApplication>& app);

// The start-up the program's tests share: a private configuration folder,
// message boxes answered, project files in that folder and the program started
// on one of them. Going, it ends the program without the "Save changes"
// question, then answers no more boxes and gives the folder back.
class ProgramFixture {
 public:
  enum class Boxes { kAnswered, kShown };
  explicit ProgramFixture(Boxes boxes = Boxes::kAnswered);
  ~ProgramFixture() { closeQuietly(app); }

  ScopedConfigHome home;
  std::optional<MessageBoxRecorder> boxes;  // while message boxes are answered
  DesktopStandIn desktop{{QStringLiteral("nm-connection-editor")}};
  std::unique_ptr<ui::LarkspurApplication> app;

  // The path of `name` in the configuration folder.
  QString path(const QString& name = QStringLiteral("site.lkr")) const { return home.path() + '/' + name; }
  // Writes the project `name` there (see writeProject above); gives its path.
  QString writeProject(const QString& name, const std::string& url, const std::string& country = "",
                       std::function<void(core::Project&)> change = {}) const;
  // A new program started on a project file (the one before it ended first);
  // false when it does not start.
  bool startOn(const QString& projectFile);
  // Writes site.lkr of this address and starts the program on it.
  bool start(const std::string& url = kGardenSite, const std::string& country = "",
             std::function<void(core::Project&)> change = {});
  ui::MainWindow* frame() const;
};

// The base of a Qt Test class whose tests each run on their own fixture: its
// init() makes `program_`, its cleanup() drops it.
class ProgramTest : public QObject {
 protected:
  std::unique_ptr<ProgramFixture> program_;

  ui::LarkspurApplication& app() const { return *program_->app; }
  MessageBoxRecorder& boxes() const { return *program_->boxes; }
  const ScopedConfigHome& home() const { return program_->home; }
  QString projectPath() const { return program_->path(); }
};

// Pages of a PDF file: its page objects, not the page tree ("/Type /Pages");
// -1 when it cannot be read.
int countPdfPages(const QString& path);

// What a feature made in the program's window (its commands, jobs or
// windows): the window's child of that type.
template <class Feature>
Feature* installed(const ui::LarkspurApplication& app) {
  return app.host()->widget()->findChild<Feature*>(QString(), Qt::FindDirectChildrenOnly);
}

// Records the addresses the program hands to the desktop: install it with
// QDesktopServices::setUrlHandler(scheme, recorder, "open").
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

}  // namespace larkspur::test
