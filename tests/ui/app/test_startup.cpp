// Start-up and shut-down of the desktop program: settings, which project
// opens first, and the fall-backs when a project cannot be opened.

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "core/fixed_text.h"
#include "core/settings_store.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/main_window.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/profile_dialog.h"
#include "ui/project/project_document.h"

using namespace larkspur;

class TestStartup : public QObject {
  Q_OBJECT

 private:
  // Records the last project in the settings of the current config home.
  static void recordLastProject(const QString& path) {
    core::SettingsStore store(core::SettingsStore::defaultFolder());
    core::Settings settings;
    QVERIFY(store.load(settings).ok());
    settings.last_project = path.toStdString();
    QVERIFY(store.save(settings).ok());
  }

  static QString lastProjectInSettings() {
    core::SettingsStore store(core::SettingsStore::defaultFolder());
    core::Settings settings;
    if (!store.load(settings).ok()) return QStringLiteral("<load failed>");
    return QString::fromStdString(settings.last_project);
  }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void firstStartCreatesSettingsAndShowsBlankDialogCancelEnds() {
    test::ProgramFixture program;
    // Cancelled, it comes again for "Fill In Profile"; "Quit" ends the program.
    int dialogs = 0;
    std::function<void(QWidget*)> cancel = [&](QWidget* modal) {
      auto* dialog = qobject_cast<ui::ProfileDialog*>(modal);
      QVERIFY(dialog);
      ++dialogs;
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Input your website detail"));
      QCOMPARE(static_cast<QLineEdit*>(dialog->control(0))->text(), QStringLiteral("http://"));
      // What was typed before the cancel is there again.
      QCOMPARE(static_cast<QLineEdit*>(dialog->control(1))->text(), dialogs == 1 ? QString() : QStringLiteral("Shop"));
      static_cast<QLineEdit*>(dialog->control(1))->setText(QStringLiteral("Shop"));
      QCOMPARE(dialog->countryList()->currentText(), QStringLiteral("USA"));
      QCOMPARE(dialog->categoryList()->currentText(), QStringLiteral("Business"));
      QCOMPARE(dialog->categoryAddonList()->currentIndex(), -1);
      if (dialogs == 1) test::whenModal(cancel);
      dialog->cancelButton()->click();
    };
    test::whenModal(cancel);
    program.boxes->queueAnswer(QMessageBox::Retry);  // "Fill In Profile"
    program.boxes->queueAnswer(QMessageBox::Close);  // "Quit"
    ui::LarkspurApplication app;
    QVERIFY(!app.startUp({}, false));
    QCOMPARE(dialogs, 2);
    QCOMPARE(program.boxes->texts().size(), 2);
    QVERIFY(program.boxes->texts()[0].startsWith(QStringLiteral("Larkspur needs a website profile")));
    QVERIFY(QFile::exists(program.home.settingsFolder() + QStringLiteral("/sysdata")));
    QVERIFY(QFile::exists(program.home.settingsFolder() + QStringLiteral("/sysdatasize")));
    QCOMPARE(lastProjectInSettings(), QString());
  }

  void acceptedFirstStartGivesHostTitleAndModifiedProject() {
    test::ProgramFixture program;
    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ui::ProfileDialog*>(modal);
      QVERIFY(dialog);
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("http://www.example.org/shop"));
      dialog->okButton()->click();
    });
    ui::LarkspurApplication app;
    QVERIFY(app.startUp({}, false));
    QCOMPARE(app.doc()->title(), QStringLiteral("www.example.org"));
    QCOMPARE(app.frame()->windowTitle(), QStringLiteral("www.example.org[*] - Larkspur"));
    QVERIFY(app.doc()->isModified());
    QCOMPARE(app.project().engines.size(), std::size_t{342});
    QCOMPARE(QString::fromUtf8(app.project().profile.country), QStringLiteral("USA"));
  }

  void recordedLastProjectOpens() {
    test::ProgramFixture program;
    const QString project = program.writeProject(QStringLiteral("last.lkr"), "http://last.example.com/");
    recordLastProject(project);

    bool sawModal = false;
    QTimer* watch = test::whenModal([&](QWidget* modal) {
      sawModal = true;
      modal->close();
    }, 3000);
    ui::LarkspurApplication app;
    QVERIFY(app.startUp({}, false));
    delete watch;
    QVERIFY(!sawModal);
    QVERIFY(program.boxes->texts().isEmpty());
    QCOMPARE(app.doc()->title(), QStringLiteral("http://last.example.com/"));
    QCOMPARE(app.doc()->pathName(), project);
    QVERIFY(!app.doc()->isModified());
  }

  void commandLineFileWinsOverLastProject() {
    test::ProgramFixture program;
    const QString last = program.writeProject(QStringLiteral("last.lkr"), "http://last.example.com/");
    const QString named = program.writeProject(QStringLiteral("named.lkr"), "http://named.example.com/");
    recordLastProject(last);

    const QString previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(program.home.path()));
    {
      ui::LarkspurApplication app;
      ui::CommandLine commandLine;
      commandLine.projectFile = QStringLiteral("named.lkr");  // relative to the current folder
      QVERIFY(app.startUp(commandLine, false));
      QCOMPARE(app.doc()->title(), QStringLiteral("http://named.example.com/"));
      QVERIFY(app.shutDown());
    }
    QVERIFY(QDir::setCurrent(previousFolder));
    // The opened file is the last project of the next start, wherever that runs.
    QCOMPARE(lastProjectInSettings(), named);
  }

  void unreadableCommandLineFileFallsBackToLastProject() {
    test::ProgramFixture program;
    const QString last = program.writeProject(QStringLiteral("last.lkr"), "http://last.example.com/");
    recordLastProject(last);

    ui::LarkspurApplication app;
    QVERIFY(test::startOn(app, program.path(QStringLiteral("missing.lkr"))));
    QCOMPARE(program.boxes->texts().size(), 1);
    QVERIFY2(program.boxes->texts().first().startsWith(QStringLiteral("Unable to read from")),
             qPrintable(program.boxes->texts().first()));
    QCOMPARE(app.doc()->title(), QStringLiteral("http://last.example.com/"));
  }

  void unopenableLastProjectFallsBackToNew() {
    test::ProgramFixture program;
    const QString broken = program.path(QStringLiteral("broken.lkr"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is not a project file");
    file.close();
    recordLastProject(broken);

    bool sawDialog = false;
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<ui::ProfileDialog*>(modal);
      QVERIFY(dialog);
      sawDialog = true;
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("http://new.example.com/"));
      dialog->okButton()->click();
    });
    ui::LarkspurApplication app;
    QVERIFY(app.startUp({}, false));
    QVERIFY(sawDialog);
    QCOMPARE(program.boxes->texts(), QStringList{QStringLiteral("Data error!")});
    QCOMPARE(app.project().engines.size(), std::size_t{342});
    QCOMPARE(app.doc()->title(), QStringLiteral("new.example.com"));
    QCOMPARE(app.frame()->windowTitle(), QStringLiteral("new.example.com[*] - Larkspur"));
  }

  void aTargetsFileThatCannotBeUsedIsSaidAndTheBuiltInTargetsShow() {
    test::ProgramFixture program;
    ui::CommandLine commandLine;
    commandLine.projectFile = program.writeProject(QStringLiteral("site.lkr"), "http://site.example.com/");
    const QString malformed = program.path(QStringLiteral("bad.tsv"));
    test::writeFile(malformed.toStdString(), "Mine\tUSA\thttp://127.0.0.1/\t\t\t\t\t\tnot a rank\t99\n");
    for (const QString& targets : {program.path(QStringLiteral("missing.tsv")), malformed}) {
      program.boxes->clear();
      commandLine.targetsFile = targets;
      ui::LarkspurApplication app;
      QVERIFY(app.startUp(commandLine, false));
      const QString said = program.boxes->texts().join(QLatin1Char('|'));
      QVERIFY2(said.startsWith("The targets file cannot be used: " + targets) &&
                   said.endsWith("Larkspur shows its built-in targets."), qPrintable(said));
      QCOMPARE(app.frame()->itemView()->engineView()->rowCount(), 342);
    }
  }

  void settingsThatCannotBeLoadedEndTheProgram() {
    test::ProgramFixture program;
    // A file where the settings folder should be.
    QVERIFY(QDir(program.home.path()).mkpath(QStringLiteral("NORVELLA")));
    QFile blocker(program.home.settingsFolder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    ui::LarkspurApplication app;
    QVERIFY(!app.startUp({}, false));
    QVERIFY(!program.boxes->texts().isEmpty());
    QCOMPARE(program.boxes->texts().last(), QStringLiteral("Load system data error!"));
    QVERIFY(!app.frame());
  }

  void closingAModifiedProjectAsksToSave() {
    test::ProgramFixture program;
    const QString path = program.writeProject(QStringLiteral("site.lkr"), "http://site.example.com/");
    recordLastProject(path);
    ui::LarkspurApplication app;
    QVERIFY(app.startUp({}, false));
    core::Coordination& coordination = core::processCoordination();
    coordination.stop.reset();

    app.doc()->setModified(true);
    program.boxes->queueAnswer(QMessageBox::Cancel);
    QVERIFY(!app.frame()->close());
    QCOMPARE(program.boxes->texts(), QStringList{QStringLiteral("Save changes to site.lkr?")});
    // Closing asks every job to stop, even when the user then stays.
    QVERIFY(coordination.stop.isSet());

    app.project().engines.at(0)->submit_state = "Submit-OK";
    program.boxes->queueAnswer(QMessageBox::Yes);
    QVERIFY(app.frame()->close());
    QVERIFY(!app.doc()->isModified());
    core::Project reread;
    QVERIFY(reread.open(path.toStdString()).ok());
    QCOMPARE(QString::fromUtf8(reread.engines.at(0)->submit_state.c_str()), QStringLiteral("Submit-OK"));
  }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
