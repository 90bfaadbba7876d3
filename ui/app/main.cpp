// The Larkspur desktop program.

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "core/service_hosts.h"
#include "core/worker_threads.h"
#include "larkspur_version.h"
#include "ui/app/command_line.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/main_window.h"
#include "ui/submit/submission_windows.h"
#include "webengine/web_engine_environment.h"

namespace {

// A picture of the main window for the documentation: a fixed size, taken
// once the window has settled.
constexpr int kScreenshotWidth = 1180;
constexpr int kScreenshotHeight = 720;
constexpr int kScreenshotDelayMs = 1200;

// The longest the program waits at exit for workers left running.
constexpr std::chrono::milliseconds kExitWait{3'000};

}  // namespace

int main(int argc, char* argv[]) {
  // --help is answered before the application connects to a display, so it
  // works without one. (Qt's own options are known only to QApplication, so
  // everything else is read after it.)
  {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (larkspur::ui::parseCommandLine(arguments).help) {
      std::fputs(qPrintable(larkspur::ui::commandLineUsage()), stdout);
      return 0;
    }
  }
  larkspur::webengine::prepareWebEngine(larkspur::webengine::WebEngineDisplay::kWindows);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Larkspur"));
  QApplication::setApplicationVersion(QStringLiteral(LARKSPUR_VERSION));
  QApplication::setOrganizationName(QStringLiteral("NORVELLA"));
  QApplication::setDesktopFileName(QStringLiteral("larkspur"));

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  const larkspur::ui::CommandLine commandLine = larkspur::ui::parseCommandLine(arguments);
  if (commandLine.help) {
    std::fputs(qPrintable(larkspur::ui::commandLineUsage()), stdout);
    return 0;
  }
  if (!commandLine.error.isEmpty()) {
    std::fprintf(stderr, "larkspur: %s\n%s", qPrintable(commandLine.error),
                 qPrintable(larkspur::ui::commandLineUsage()));
    return 2;
  }
  if (!commandLine.serviceBase.isEmpty() && !larkspur::core::setServiceBase(commandLine.serviceBase.toStdString())) {
    std::fprintf(stderr, "larkspur: --service-base wants scheme://host[:port] with http or https, not '%s'\n",
                 qPrintable(commandLine.serviceBase));
    return 2;
  }

  larkspur::ui::LarkspurApplication app;
  const bool screenshot = !commandLine.screenshot.isEmpty();
  if (!app.startUp(commandLine, !screenshot)) {
    app.shutDown();
    return 1;
  }
  // The browser pane on the right and the batch dialog behind the submit commands.
  larkspur::ui::installSubmissionWindows(*app.frame(), *app.doc(), larkspur::core::processCoordination());
  int status = 0;
  if (screenshot) {
    larkspur::ui::MainWindow* frame = app.frame();
    frame->resize(kScreenshotWidth, kScreenshotHeight);
    frame->show();
    QTimer::singleShot(kScreenshotDelayMs, frame, [frame, &commandLine, &status] {
      if (!frame->grab().save(commandLine.screenshot)) {
        std::fprintf(stderr, "larkspur: cannot write %s\n", qPrintable(commandLine.screenshot));
        status = 1;
      }
      frame->close();
    });
  }
  const int result = application.exec();
  app.shutDown();
  // Direct requests a cancelled batch left running give up their fetch; they
  // end within about a second, and the program does not wait longer than this.
  larkspur::core::processWorkerThreads().abandon();
  larkspur::core::processWorkerThreads().waitAll(kExitWait);
  // After an online update the user may have asked for the new program: it
  // starts now that this one has closed and written its settings.
  larkspur::ui::ProgramRestart& restart = app.programRestart();
  const QString restartProgram = restart.program();
  if (restart.requested() && !restart.startIfRequested()) {
    std::fprintf(stderr, "larkspur: cannot start %s\n", qPrintable(restartProgram));
  }
  return status != 0 ? status : result;
}
