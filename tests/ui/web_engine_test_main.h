#pragma once
// The main function of the desktop program's Qt Test programs that load pages
// in Qt WebEngine: prepared as the engine's tests are, on a QApplication.

#include <QApplication>

#include "tests/webengine/web_engine_test_main.h"

#define LARKSPUR_WEBENGINE_TEST_MAIN(TestClass) LARKSPUR_WEBENGINE_TEST_MAIN_ON(QApplication, TestClass)
