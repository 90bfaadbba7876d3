#pragma once
// The main function of the Qt Test programs that load pages in Qt WebEngine:
// the process is prepared as larkspur-browser-submit prepares itself, but
// always offscreen (see ui/browser/web_engine_environment.h).

#include <QApplication>
#include <QtTest>

#include "ui/browser/web_engine_environment.h"

#define LARKSPUR_WEBENGINE_TEST_MAIN(TestClass)                                      \
  int main(int argc, char* argv[]) {                                                \
    larkspur::ui::prepareWebEngine(larkspur::ui::WebEngineDisplay::kOffscreen);     \
    QApplication app(argc, argv);                                                   \
    QApplication::setQuitOnLastWindowClosed(false);                                 \
    TestClass test;                                                                 \
    QTEST_SET_MAIN_SOURCE_PATH                                                      \
    return QTest::qExec(&test, argc, argv);                                         \
  }
