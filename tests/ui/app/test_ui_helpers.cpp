// Small pieces of the desktop program: the command line (and the one a
// restart uses), the search and step rules on plain rows, and the choice of
// the network settings program.

#include <QtTest>

#include "ui/app/command_line.h"
#include "ui/app/network_settings.h"
#include "ui/lists/list_search.h"

using namespace larkspur::ui;

class TestUiHelpers : public QObject {
  Q_OBJECT

 private slots:
  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("serviceBase");
    QTest::addColumn<QString>("screenshot");
    QTest::addColumn<bool>("error");
    QTest::newRow("nothing") << QStringList{} << "" << "" << "" << false;
    QTest::newRow("file") << QStringList{"site.lkr"} << "site.lkr" << "" << "" << false;
    QTest::newRow("service base before the file")
        << QStringList{"--service-base", "http://127.0.0.1:8080", "a.lkr"} << "a.lkr" << "http://127.0.0.1:8080"
        << "" << false;
    QTest::newRow("option with =") << QStringList{"--screenshot=shot.png"} << "" << "" << "shot.png" << false;
    QTest::newRow("file after --") << QStringList{"--", "-odd.lkr"} << "-odd.lkr" << "" << "" << false;
    QTest::newRow("missing value") << QStringList{"--service-base"} << "" << "" << "" << true;
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "" << "" << "" << true;
    QTest::newRow("two files") << QStringList{"a.lkr", "b.lkr"} << "a.lkr" << "" << "" << true;
  }

  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QString, serviceBase);
    QFETCH(QString, screenshot);
    QFETCH(bool, error);
    const CommandLine parsed = parseCommandLine(arguments);
    QCOMPARE(parsed.error.isEmpty(), !error);
    if (error) return;
    QCOMPARE(parsed.projectFile, file);
    QCOMPARE(parsed.serviceBase, serviceBase);
    QCOMPARE(parsed.screenshot, screenshot);
  }

  void restartArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("openProject");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the project open now, not the one named at the start")
        << QStringList{"first.lkr"} << "/home/u/now.lkr" << QStringList{"--", "/home/u/now.lkr"};
    QTest::newRow("service base kept, screenshot dropped")
        << QStringList{"--screenshot=a.png", "--service-base", "http://127.0.0.1:8080"} << ""
        << QStringList{"--service-base", "http://127.0.0.1:8080"};
    QTest::newRow("targets file kept") << QStringList{"--targets-file=mine.tsv"} << ""
                                       << QStringList{"--targets-file", "mine.tsv"};
    QTest::newRow("a project name like an option") << QStringList{} << "-odd.lkr" << QStringList{"--", "-odd.lkr"};
  }

  void restartArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, openProject);
    QFETCH(QStringList, expected);
    const QStringList restart = larkspur::ui::restartArguments(arguments, openProject);
    QCOMPARE(restart, expected);
    // The restarted program reads them back as meant.
    const CommandLine parsed = parseCommandLine(restart);
    QVERIFY(parsed.error.isEmpty());
    QCOMPARE(parsed.projectFile, openProject);
    QVERIFY(parsed.screenshot.isEmpty());
  }

  void stepRows() {
    QCOMPARE(stepListRow(0, -1, true), -1);
    QCOMPARE(stepListRow(5, -1, false), 0);
    QCOMPARE(stepListRow(5, -1, true), 0);
    QCOMPARE(stepListRow(5, 0, true), 0);
    QCOMPARE(stepListRow(5, 4, false), 4);
    QCOMPARE(stepListRow(5, 2, true), 1);
    QCOMPARE(stepListRow(5, 2, false), 3);
  }

  void findOnPlainRows() {
    const QStringList rows = {"alpha", "beta", "gamma", "beta"};
    auto cell = [&rows](int row, int) { return rows[row]; };
    FindOptions beta;
    beta.text = QStringLiteral("BETA");
    QCOMPARE(findListRow(4, 1, cell, beta, -1, false), 1);
    QCOMPARE(findListRow(4, 1, cell, beta, 1, false), 1);  // the selected row counts
    QCOMPARE(findListRow(4, 1, cell, beta, 1, true), 3);   // Find Next moves past it
    QCOMPARE(findListRow(4, 1, cell, beta, 3, true), -1);
    beta.down = false;
    QCOMPARE(findListRow(4, 1, cell, beta, -1, false), 3);
    QCOMPARE(findListRow(4, 1, cell, beta, -1, true), 3);  // from below the last row
    QCOMPARE(findListRow(4, 1, cell, beta, 3, true), 1);
    QCOMPARE(findListRow(0, 1, cell, beta, -1, false), -1);
    beta.matchCase = true;
    QCOMPARE(findListRow(4, 1, cell, beta, -1, false), -1);
  }

  void networkSettingsProgram() {
    QCOMPARE(networkSettingsCommand([](const QString&) { return false; }), QStringList{});
    QCOMPARE(networkSettingsCommand([](const QString& p) { return p == QLatin1String("nm-connection-editor"); }),
             QStringList{"nm-connection-editor"});
    // A desktop's own settings come before the generic connection editor.
    QCOMPARE(networkSettingsCommand([](const QString& p) {
               return p == QLatin1String("nm-connection-editor") || p == QLatin1String("gnome-control-center");
             }),
             (QStringList{"gnome-control-center", "network"}));
  }
};

QTEST_MAIN(TestUiHelpers)
#include "test_ui_helpers.moc"
