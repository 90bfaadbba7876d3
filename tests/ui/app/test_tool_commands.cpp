// The main window's printing, help, services, about, toolbar and status bar
// toggles, the network settings, what is said when the desktop fails, and the
// online update command, driven through the frame's commands as the menus run them.

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "core/fixed_text.h"
#include "update/online_update.h"
#include "core/service_hosts.h"
#include "update/sha256.h"
#include "update/update_version.h"
#include "larkspur_version.h"
#include "tests/support/local_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_signing_key.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/about_dialog.h"
#include "ui/app/command_ids.h"
#include "ui/app/help_page.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/help_commands.h"
#include "ui/app/main_window.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/printing/list_printer.h"
#include "ui/printing/print_commands.h"
#include "ui/project/project_document.h"
#include "ui/update/update_commands.h"
#include "ui/update/update_dialog.h"

using namespace larkspur;
using namespace larkspur::ui;
namespace fs = std::filesystem;

namespace {

using larkspur::test::countPdfPages;
using larkspur::test::UrlRecorder;

// Sets an environment variable while the object lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), previous_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_) {
      qputenv(name_, previous_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  QByteArray previous_;
  bool had_;
};

}  // namespace

class TestToolCommands : public test::ProgramTest {
  Q_OBJECT

 private:
  MainWindow* frame() const { return app().frame(); }
  PrintCommands* print() const { return test::installed<PrintCommands>(app()); }
  HelpCommands* help() const { return test::installed<HelpCommands>(app()); }
  UpdateCommands* updates() const { return test::installed<UpdateCommands>(app()); }
  EngineListView* engineView() const { return frame()->itemView()->engineView(); }

  // Prints to a PDF file instead of a printer.
  QString printToPdf(const QString& name) {
    const QString path = program_->path(name);
    QPrinter& printer = print()->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return path;
  }

  int expectedPages() {
    QPrinter& printer = print()->printer();
    const ListPrinter::Job job = ListPrinter(*print()->activeList()).prepare(printer);
    return job.layout.pageCount;
  }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    program_ = std::make_unique<test::ProgramFixture>();
    QVERIFY(program_->start());
  }

  void cleanup() { program_.reset(); }

  void activeListIsTheEngineListAsShown() {
    engineView()->sortItems(EngineListView::kColumnName, Qt::DescendingOrder);
    engineView()->setColumnHidden(EngineListView::kColumnCountry, true);
    const std::optional<ListPrintDescription> list = print()->activeList();
    QVERIFY(list);
    QCOMPARE(list->title, QStringLiteral("Larkspur"));
    QCOMPARE(list->subtitle, app().doc()->title());
    QCOMPARE(list->subtitle, QStringLiteral("http://www.example-garden.com/"));
    QCOMPARE(int(list->rows.size()), 342);
    QCOMPARE(list->rows[0][0], engineView()->topLevelItem(0)->text(0));
    QCOMPARE(list->columns[1].title, QStringLiteral("Country"));
    QCOMPARE(list->columns[1].width, 0);
    QCOMPARE(list->columns[4].title, QStringLiteral("Submit State"));

    // Only list views print: the commands follow the selected tab.
    QTabWidget* tabs = frame()->itemView()->tabs();
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      const bool printable = dynamic_cast<ListPrintSource*>(tabs->widget(i)) != nullptr;
      QCOMPARE(frame()->commandEnabled(kIdFilePrint), printable);
      QCOMPARE(frame()->commandEnabled(kIdFilePrintPreview), printable);
      QVERIFY(frame()->commandEnabled(kIdFilePrintSetup));
    }
    tabs->setCurrentIndex(0);
  }

  void printDirectPrintsEveryPage() {
    const QString pdf = printToPdf(QStringLiteral("direct.pdf"));
    const int pages = expectedPages();
    QVERIFY(pages >= 2);
    QVERIFY(frame()->runCommand(kIdFilePrintDirect));
    QCOMPARE(countPdfPages(pdf), pages);
  }

  void linkListPrintsToo() {
    QTabWidget* tabs = frame()->itemView()->tabs();
    LinkListView* links = frame()->itemView()->linkView();
    QVERIFY(links);
    tabs->setCurrentWidget(links);
    QVERIFY(frame()->commandEnabled(kIdFilePrint));
    // No links: nothing to print, no job.
    const QString none = printToPdf(QStringLiteral("no-links.pdf"));
    QVERIFY(frame()->runCommand(kIdFilePrintDirect));
    QVERIFY(!QFile::exists(none));

    for (int i = 0; i < 3; ++i) {
      core::LinkRecord record = core::zeroLinkRecord();
      record.url = "http://links.example.org/page" + std::to_string(i) + ".html";
      app().project().links.append(record);
    }
    frame()->rebuildWorkAreas();
    links = frame()->itemView()->linkView();
    tabs->setCurrentWidget(links);
    const std::optional<ListPrintDescription> list = print()->activeList();
    QVERIFY(list);
    QCOMPARE(int(list->rows.size()), 3);
    QCOMPARE(int(list->columns.size()), links->columnCount());
    QCOMPARE(list->columns[0].title, links->headerItem()->text(0));
    QCOMPARE(list->rows[0][0], links->topLevelItem(0)->text(0));
    const QString pdf = printToPdf(QStringLiteral("links.pdf"));
    QVERIFY(frame()->runCommand(kIdFilePrintDirect));
    QCOMPARE(countPdfPages(pdf), 1);
  }

  void printGoesThroughThePrintDialog() {
    const QString pdf = printToPdf(QStringLiteral("dialog.pdf"));
    const int pages = expectedPages();
    QString seen;
    test::whenModal([&](QWidget* modal) {
      seen = modal->metaObject()->className();
      if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) dialog->accept();
    });
    QVERIFY(frame()->runCommand(kIdFilePrint));
    QCOMPARE(seen, QStringLiteral("QPrintDialog"));
    QCOMPARE(countPdfPages(pdf), pages);

    // Cancelled: nothing printed.
    QVERIFY(QFile::remove(pdf));
    test::whenModal([](QWidget* modal) { modal->close(); });
    QVERIFY(frame()->runCommand(kIdFilePrint));
    QVERIFY(!QFile::exists(pdf));
  }

  void previewShowsThePages() {
    printToPdf(QStringLiteral("unused.pdf"));
    const int pages = expectedPages();
    int shown = -1;
    test::whenModal([&](QWidget* modal) {
      if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
        if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) shown = widget->pageCount();
      }
      modal->close();
    });
    QVERIFY(frame()->runCommand(kIdFilePrintPreview));
    QCOMPARE(shown, pages);
  }

  void printSetupShowsThePageSetup() {
    QString seen;
    test::whenModal([&](QWidget* modal) {
      seen = modal->metaObject()->className();
      modal->close();
    });
    QVERIFY(frame()->runCommand(kIdFilePrintSetup));
    QCOMPARE(seen, QStringLiteral("QPageSetupDialog"));
  }

  void helpTopicOpensTheInstalledHelpPage() {
    // The build tree keeps the page where an installed program finds it.
    const QString uiFolder = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../../ui")).absolutePath();
    const QString page = findHelpPage(uiFolder);
    QVERIFY2(!page.isEmpty(), qPrintable(uiFolder));
    QVERIFY(page.endsWith(QLatin1String("/share/larkspur/help/larkspur-help.html")));
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<title>Larkspur Help</title>"));

    UrlRecorder urls;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
    help()->setProgramFolder(uiFolder);
    QVERIFY(frame()->runCommand(kIdHelpTopic));
    // Without a page nothing opens, silently.
    QTemporaryDir empty;
    ScopedEnv dataHome("XDG_DATA_HOME", empty.path().toUtf8());
    ScopedEnv dataDirs("XDG_DATA_DIRS", empty.path().toUtf8());
    help()->setProgramFolder(empty.path());
    QVERIFY(frame()->runCommand(kIdHelpTopic));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(urls.urls, QList<QUrl>{QUrl::fromLocalFile(page)});
    QVERIFY(boxes().texts().isEmpty());
  }

  void submitServicesOpensTheVendorsPage() {
    UrlRecorder urls;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls, "open");
    QVERIFY(frame()->runCommand(kIdSubmitServices));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(urls.urls, QList<QUrl>{QUrl(QStringLiteral("https://www.norvella.com/services"))});
  }

  void desktopFailuresAreSaid_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("said");  // PAGE: the help page
    QTest::newRow("Help Topic") << int(kIdHelpTopic)
                                << "No program could be started to open the file PAGE.\nOpen it by hand.";
    QTest::newRow("Submit Services") << int(kIdSubmitServices) << "No web browser could be started to open "
                                     "https://www.norvella.com/services.\nOpen that address in your browser by hand.";
    QTest::newRow("Internet Option") << int(kIdInternetOption)
                                     << "The network settings could not be opened: nm-connection-editor did not "
                                        "start.\nOpen your desktop's network settings by hand.";
  }

  void desktopFailuresAreSaid() {
    QFETCH(int, command);
    QFETCH(QString, said);
    const QString uiFolder = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../../ui")).absolutePath();
    help()->setProgramFolder(uiFolder);
    program_->desktop.works = false;
    QVERIFY(frame()->runCommand(command));
    QCOMPARE(boxes().texts(),
             QStringList{said.replace(QStringLiteral("PAGE"), QDir::toNativeSeparators(findHelpPage(uiFolder)))});
  }

  void internetOptionOpensTheNetworkSettingsOrIsNotShown() {
    QVERIFY(frame()->action(kIdInternetOption)->isVisible());
    QVERIFY(frame()->runCommand(kIdInternetOption));
    QCOMPARE(program_->desktop.started, QList<QStringList>{QStringList{"nm-connection-editor"}});
    QVERIFY(boxes().texts().isEmpty());
    // Without a settings program the entry goes when its menu opens next.
    program_->desktop.installed.clear();
    emit frame()->menuBar()->actions()[2]->menu()->aboutToShow();
    QVERIFY(!frame()->action(kIdInternetOption)->isVisible());
  }

  void aboutShowsTheVersion() {
    QString version;
    test::whenModal([&](QWidget* modal) {
      if (auto* about = qobject_cast<AboutDialog*>(modal)) version = about->versionLabel()->text();
      modal->close();
    });
    QVERIFY(frame()->runCommand(kIdAppAbout));
    QCOMPARE(version, QStringLiteral("Larkspur Version " LARKSPUR_VERSION));
  }

  void toolbarAndStatusBarToggles() {
    // Checked from the start, even before the window is shown.
    frame()->updateCommandUi();
    QVERIFY(frame()->action(kIdViewToolbar)->isChecked());
    QVERIFY(frame()->action(kIdViewStatusBar)->isChecked());
    QVERIFY(frame()->runCommand(kIdViewToolbar));
    QVERIFY(frame()->toolBar()->isHidden());
    QVERIFY(!frame()->action(kIdViewToolbar)->isChecked());
    QVERIFY(frame()->runCommand(kIdViewStatusBar));
    QVERIFY(frame()->statusBar()->isHidden());
    QVERIFY(!frame()->action(kIdViewStatusBar)->isChecked());
    frame()->show();
    QVERIFY(!frame()->toolBar()->isVisible());
    // The menu entry toggles it back; its check mark follows.
    frame()->action(kIdViewToolbar)->trigger();
    QVERIFY(frame()->toolBar()->isVisible());
    QVERIFY(frame()->action(kIdViewToolbar)->isChecked());
    frame()->action(kIdViewStatusBar)->trigger();
    QVERIFY(frame()->statusBar()->isVisible());
    QVERIFY(frame()->action(kIdViewStatusBar)->isChecked());
    frame()->hide();
  }

  void onlineUpdateCommand() {
    test::TempDir dir;
    const test::UpdateSigningKey key;
    fs::create_directory(dir.file("bin"));
    const fs::path program = dir.file("bin") / "larkspur";
    test::writeFile(program, "old program");
    const std::string newProgram(50000, 'n');
    std::atomic<bool> slow{false};
    test::LocalServer server;
    test::serveSignedDescription(server, key, [&] {
      const std::string version = slow ? std::string("99.0") : update::ownProgramVersion();
      return version + "," + std::to_string(newProgram.size()) + "," + update::sha256Hex(newProgram);
    });
    server.get("/larkspur.exe", [&](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(newProgram.size(), "application/octet-stream",
                               [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 if (server.stopping()) return false;
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 sink.write(newProgram.data() + offset, std::min<std::size_t>(length, 500));
                                 return true;
                               });
    });
    QVERIFY(server.start());
    QVERIFY(core::setServiceBase(server.baseUrl()));
    updates()->setUpdateSetup([&] {
      update::UpdateAgentSetup setup = update::defaultUpdateSetup();
      test::trustOnly(setup, key, dir.file("update_keys"));
      setup.programPath = program;
      setup.tempFolder = dir.path();
      return setup;
    });

    // The same version: the dialog says so and closes.
    test::whenModal([](QWidget* modal) {
      if (auto* dialog = qobject_cast<UpdateDialog*>(modal)) dialog->startButton()->click();
    });
    QVERIFY(frame()->runCommand(kIdOnlineUpdate));
    QCOMPARE(boxes().texts(), QStringList{"No update version to download at this time."});

    // Cancelled during a slow download: the command waits for the worker to end.
    // The first run's worker may still be winding down, and the command stays
    // disabled until it has.
    QTRY_VERIFY(frame()->commandEnabled(kIdOnlineUpdate));
    slow = true;
    boxes().clear();
    boxes().queueAnswer(QMessageBox::Yes);
    QTimer poll;
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<UpdateDialog*>(modal);
      if (!dialog) return;
      dialog->startButton()->click();
      connect(&poll, &QTimer::timeout, dialog, [dialog] {
        if (dialog->progressBar()->value() > 0) dialog->cancelButton()->click();
      });
      poll.start(5);
    });
    QVERIFY(frame()->runCommand(kIdOnlineUpdate));
    poll.stop();
    QVERIFY2(updates()->updateRun().running() || boxes().texts().size() == 2, qPrintable(boxes().texts().join("|")));
    if (updates()->updateRun().running()) QVERIFY(!frame()->commandEnabled(kIdOnlineUpdate));
    QTRY_VERIFY(!updates()->updateRun().running());
    QTRY_COMPARE(boxes().texts().size(), 2);
    QVERIFY(frame()->commandEnabled(kIdOnlineUpdate));
    QCOMPARE(test::readFile(program), std::string("old program"));

    // Closing the main window during a run ends the run without hanging.
    boxes().clear();
    boxes().queueAnswer(QMessageBox::Yes);
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<UpdateDialog*>(modal);
      if (!dialog) return;
      dialog->startButton()->click();
      connect(&poll, &QTimer::timeout, dialog, [this, dialog] {
        if (dialog->progressBar()->value() > 0) {
          closedDuringRun_ = true;
          dialog->cancelButton()->click();
          app().doc()->setModified(false);
          frame()->close();
        }
      });
      poll.start(5);
    });
    QVERIFY(frame()->runCommand(kIdOnlineUpdate));
    poll.stop();
    QVERIFY(closedDuringRun_);
    QVERIFY(!updates()->updateRun().running());
    QCOMPARE(test::readFile(program), std::string("old program"));
    core::setServiceBase("");
  }

  void restartAfterAnUpdate_data() {
    QTest::addColumn<bool>("restart");    // the answer to "Do you want restart it ?"
    QTest::addColumn<bool>("keepOpen");   // the answer to "Save changes" is Cancel
    QTest::addColumn<bool>("started");
    QTest::newRow("yes: the new program starts after this one") << true << false << true;
    QTest::newRow("no: nothing starts") << false << false << false;
    QTest::newRow("yes, but the window stays open") << true << true << false;
  }

  void restartAfterAnUpdate() {
    QFETCH(bool, restart);
    QFETCH(bool, keepOpen);
    QFETCH(bool, started);
    test::TempDir dir;
    const test::UpdateSigningKey key;
    fs::create_directory(dir.file("bin"));
    const fs::path program = dir.file("bin") / "larkspur";
    test::writeFile(program, "old program");
    const std::string newProgram(20000, 'n');
    test::LocalServer server;
    test::serveSignedDescription(server, key, [&] {
      return "99.0," + std::to_string(newProgram.size()) + "," + update::sha256Hex(newProgram);
    });
    server.get("/larkspur.exe", [&](const httplib::Request&, httplib::Response& res) {
      res.set_content(newProgram, "application/octet-stream");
    });
    QVERIFY(server.start());
    QVERIFY(core::setServiceBase(server.baseUrl()));
    updates()->setUpdateSetup([&] {
      update::UpdateAgentSetup setup = update::defaultUpdateSetup();
      test::trustOnly(setup, key, dir.file("update_keys"));
      setup.programPath = program;
      setup.tempFolder = dir.file("tmp");
      return setup;
    });
    fs::create_directory(dir.file("tmp"));
    QStringList starts;
    app().programRestart().setStarter([&](const QString& path, const QStringList& arguments) {
      starts << path << arguments;
      return true;
    });

    app().doc()->setModified(keepOpen);
    boxes().queueAnswer(QMessageBox::Yes);  // proceed
    boxes().queueAnswer(restart ? QMessageBox::Yes : QMessageBox::No);
    boxes().queueAnswer(QMessageBox::Cancel);  // "Save changes to ...?"
    frame()->show();
    test::whenModal([](QWidget* modal) {
      if (auto* dialog = qobject_cast<UpdateDialog*>(modal)) dialog->startButton()->click();
    });
    QVERIFY(frame()->runCommand(kIdOnlineUpdate));
    QCOMPARE(test::readFile(program), newProgram);
    // The close request is queued behind the dialog's end.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(frame()->isVisible(), !restart || keepOpen);
    QCOMPARE(boxes().texts().size(), restart && keepOpen ? 3 : 2);
    core::setServiceBase("");

    // What the program's exit path does once the event loop has ended.
    QCOMPARE(app().programRestart().startIfRequested(), started);
    if (!started) {
      QVERIFY(starts.isEmpty());
      return;
    }
    QCOMPARE(starts, (QStringList{QString::fromStdString(program.string()), "--", app().doc()->pathName()}));
    QVERIFY(!app().programRestart().startIfRequested());  // once
  }

 private:
  bool closedDuringRun_ = false;
};

QTEST_MAIN(TestToolCommands)
#include "test_tool_commands.moc"
