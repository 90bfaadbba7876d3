#include "webengine/web_engine_environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace larkspur::webengine {

namespace {

const char kNoGpu[] = "--disable-gpu";

// A runtime folder Chromium accepts: the user's own, a folder, 0700.
bool usableRuntimeDir(const QByteArray& path) {
  struct stat info {};
  return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

std::unique_ptr<QTemporaryDir>& privateRuntimeDir() {
  static std::unique_ptr<QTemporaryDir> dir;
  return dir;
}

}  // namespace

void prepareWebEngine(WebEngineDisplay display) {
  // The browser engine shares OpenGL contexts between its views.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  if (display == WebEngineDisplay::kWindows) return;

  const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && (display == WebEngineDisplay::kOffscreen || noDisplay)) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.split(' ').contains(kNoGpu)) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.isEmpty() ? QByteArray(kNoGpu) : flags + ' ' + kNoGpu);
  }
  if (!usableRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))) {
    auto& dir = privateRuntimeDir();
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/larkspur-runtime-XXXXXX"));
    if (dir->isValid()) {
      ::chmod(QFile::encodeName(dir->path()).constData(), 0700);
      qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
    }
  }
}

}  // namespace larkspur::webengine
