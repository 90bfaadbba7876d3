#pragma once
// The main function of the Qt Test programs that load pages in Qt WebEngine:
// the process is prepared as larkspur-browser-submit prepares itself, but
// always offscreen (see webengine/web_engine_environment.h). The engine's own
// tests run on a QGuiApplication; the desktop program's name QApplication
// (tests/ui/web_engine_test_main.h).

#include <QGuiApplication>
#include <QtTest>

#include "webengine/web_engine_environment.h"

#define LARKSPUR_WEBENGINE_TEST_MAIN_ON(Application, TestClass)                               \
  int main(int argc, char* argv[]) {                                                          \
    larkspur::webengine::prepareWebEngine(larkspur::webengine::WebEngineDisplay::kOffscreen); \
    Application app(argc, argv);                                                              \
    Application::setQuitOnLastWindowClosed(false);                                            \
    TestClass test;                                                                           \
    QTEST_SET_MAIN_SOURCE_PATH                                                                \
    return QTest::qExec(&test, argc, argv);                                                   \
  }

#define LARKSPUR_WEBENGINE_CORE_TEST_MAIN(TestClass) \
  LARKSPUR_WEBENGINE_TEST_MAIN_ON(QGuiApplication, TestClass)
