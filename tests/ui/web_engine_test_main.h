#pragma once
// The main function of the Qt Test programs that load pages in Qt WebEngine.
// Without a display Chromium needs an offscreen platform, no GPU, no sandbox
// when run as root, a private runtime folder and shared OpenGL contexts set
// before the application object exists; whatever the environment leaves
// unset is set here.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace larkspur::test {

inline std::unique_ptr<QTemporaryDir>& webEngineRuntimeDir() {
  static std::unique_ptr<QTemporaryDir> dir;
  return dir;
}

inline void prepareWebEngine() {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  struct stat info {};
  const bool usable = !runtime.isEmpty() && ::stat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
                      info.st_uid == geteuid() && (info.st_mode & 0777) == 0700;
  if (!usable) {
    auto& dir = webEngineRuntimeDir();
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/larkspur-runtime-XXXXXX"));
    ::chmod(QFile::encodeName(dir->path()).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace larkspur::test

#define LARKSPUR_WEBENGINE_TEST_MAIN(TestClass)      \
  int main(int argc, char* argv[]) {                \
    larkspur::test::prepareWebEngine();             \
    QApplication app(argc, argv);                   \
    QApplication::setQuitOnLastWindowClosed(false); \
    TestClass test;                                 \
    QTEST_SET_MAIN_SOURCE_PATH                      \
    return QTest::qExec(&test, argc, argv);         \
  }
