#include "tests/ui/ui_test_support.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <memory>

#include "core/fixed_text.h"
#include "ui/app/command_line.h"
#include "ui/app/main_window.h"
#include "ui/project/project_document.h"

namespace larkspur::test {

ScopedConfigHome::ScopedConfigHome()
    : previous_(qgetenv("XDG_CONFIG_HOME")), hadPrevious_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
  qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
}

ScopedConfigHome::~ScopedConfigHome() {
  if (hadPrevious_) {
    qputenv("XDG_CONFIG_HOME", previous_);
  } else {
    qunsetenv("XDG_CONFIG_HOME");
  }
}

MessageBoxRecorder::MessageBoxRecorder() {
  ui::MessageBoxes::setResponder([this](const ui::MessageBoxRequest& request) {
    texts_.append(request.text);
    if (!answers_.empty()) {
      const QMessageBox::StandardButton answer = answers_.front();
      answers_.pop_front();
      return answer;
    }
    return request.buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { ui::MessageBoxes::setResponder({}); }

FileDialogAnswers::FileDialogAnswers() {
  ui::FileDialogs::setResponder([this](const ui::FileDialogRequest& request, QString& chosenFilter) {
    requests_.push_back(request);
    if (paths_.empty()) return QString();
    auto [path, filter] = paths_.front();
    paths_.pop_front();
    if (!filter.isEmpty()) chosenFilter = filter;
    return path;
  });
}

FileDialogAnswers::~FileDialogAnswers() { ui::FileDialogs::setResponder({}); }

DesktopStandIn::DesktopStandIn(QStringList installedPrograms)
    : installed(std::move(installedPrograms)), previous_(ui::desktopLauncher()) {
  ui::DesktopLauncher& launcher = ui::desktopLauncher();
  launcher.openUrl = [this](const QUrl& url) {
    if (works) QDesktopServices::openUrl(url);
    return works;
  };
  launcher.findProgram = [this](const QString& name) { return installed.contains(name) ? "/bin/" + name : QString(); };
  launcher.startProgram = [this](const QString& program, const QStringList& arguments) {
    if (works) started << (QStringList{program} + arguments);
    return works;
  };
}

DesktopStandIn::~DesktopStandIn() { ui::desktopLauncher() = previous_; }

QTimer* whenModal(std::function<void(QWidget*)> action, int timeoutMs) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action = std::move(action), timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal && clock->elapsed() < timeoutMs) return;
    timer->stop();
    timer->deleteLater();
    if (modal) action(modal);
  });
  timer->start(5);
  return timer;
}

void writeProject(const QString& path, const std::string& url, const std::string& country,
                  std::function<void(core::Project&)> change) {
  core::Project project;
  project.newProject();
  core::copyText(project.profile.url, url);
  core::copyText(project.profile.country, country);
  project.profileChanged();
  if (change) change(project);
  const core::Status saved = project.save(path.toStdString());
  if (!saved.ok()) qFatal("cannot write a test project: %s", saved.message.c_str());
}

bool startOn(ui::LarkspurApplication& app, const QString& projectFile) {
  ui::CommandLine commandLine;
  commandLine.projectFile = projectFile;
  return app.startUp(commandLine, false);
}

void closeQuietly(std::unique_ptr<ui::LarkspurApplication>& app) {
  if (app && app->doc()) app->doc()->setModified(false);
  app.reset();
}

ProgramFixture::ProgramFixture(Boxes answered) {
  if (answered == Boxes::kAnswered) boxes.emplace();
}

QString ProgramFixture::writeProject(const QString& name, const std::string& url, const std::string& country,
                                     std::function<void(core::Project&)> change) const {
  const QString file = path(name);
  test::writeProject(file, url, country, std::move(change));
  return file;
}

bool ProgramFixture::startOn(const QString& projectFile) {
  closeQuietly(app);
  app = std::make_unique<ui::LarkspurApplication>();
  return test::startOn(*app, projectFile);
}

bool ProgramFixture::start(const std::string& url, const std::string& country,
                           std::function<void(core::Project&)> change) {
  return startOn(writeProject(QStringLiteral("site.lkr"), url, country, std::move(change)));
}

ui::MainWindow* ProgramFixture::frame() const { return app->frame(); }

int countPdfPages(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = file.readAll();
  int pages = 0;
  for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1)) {
    if (bytes.mid(at + 11, 1) != "s") ++pages;
  }
  return pages;
}

}  // namespace larkspur::test
