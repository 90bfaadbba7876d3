// The main window: menus, command ids and states, accelerators, toolbar,
// status bar, splitter, the batch, report and target check commands, the
// page-load bar and the job animation.

#include <QDesktopServices>
#include <QHostAddress>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QUdpSocket>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>

#include "core/fixed_text.h"
#include "core/settings_store.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/main_window.h"
#include "ui/browser/target_opener.h"
#include "ui/health/target_check_commands.h"
#include "ui/links/link_popularity_commands.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"
#include "ui/submit/batch_commands.h"

using namespace larkspur;
using namespace larkspur::ui;

namespace {

// A menu as "text=id" lines, "-" for separators and "text>" before a submenu's entries.
QStringList describe(const QMenu* menu) {
  QStringList lines;
  for (QAction* a : menu->actions()) {
    if (!a->isVisible()) continue;
    if (a->isSeparator()) {
      lines << QStringLiteral("-");
    } else if (a->menu()) {
      lines << a->text() + QStringLiteral(">");
      for (const QString& line : describe(a->menu())) lines << QStringLiteral("  ") + line;
    } else {
      lines << QStringLiteral("%1=%2").arg(a->text()).arg(a->data().toInt());
    }
  }
  return lines;
}

class RecordingOpener : public TargetOpener {
 public:
  void openTarget(core::EngineRecord& record, bool newPage) override { opened.push_back({&record, newPage}); }
  std::vector<std::pair<core::EngineRecord*, bool>> opened;
};

using larkspur::test::UrlRecorder;

}  // namespace

class TestMainWindow : public test::ProgramTest {
  Q_OBJECT

 private:
  MainWindow* frame() const { return app().frame(); }
  EngineListView* engineView() const { return frame()->itemView()->engineView(); }
  LinkPopularityCommands* jobs() const { return test::installed<LinkPopularityCommands>(app()); }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    program_ = std::make_unique<test::ProgramFixture>();
    QVERIFY(program_->start());
    core::processCoordination().stop.reset();
  }

  void cleanup() { program_.reset(); }

  void menusHoldEveryCommandInOrder() {
    QStringList titles;
    for (QAction* a : frame()->menuBar()->actions()) titles << a->text();
    QCOMPARE(titles, (QStringList{"&Project", "&Edit", "Search Engine Submit", "Link Popularity", "&View", "Tool",
                                  "&Help"}));
    const QList<QAction*> menus = frame()->menuBar()->actions();
    QCOMPARE(describe(menus[0]->menu()),
             (QStringList{"&New\tCtrl+N=57600", "&Edit website info\tCtrl+E=32786", "&Open...\tCtrl+O=57601",
                          "&Save\tCtrl+S=57603", "Save &As...=57604", "-", "&Print...\tCtrl+P=57607",
                          "Print Pre&view=57609", "P&rint Setup...=57606", "-",
                          "&1 " + QDir::toNativeSeparators(projectPath()) + "=57616", "-", "E&xit\tCtrl+Q=57665"}));
    QCOMPARE(describe(menus[1]->menu()),
             (QStringList{"Cu&t\tCtrl+X=57635", "&Copy\tCtrl+C=57634", "&Paste\tCtrl+V=57637", "-",
                          "&Find\tCtrl+F=57636", "Find &Next\tF3=32771", "-", "Select &All\tCtrl+A=32772",
                          "&Invert Selection\tCtrl+I=32773", "-", "Up=32797", "Down=32798"}));
    QCOMPARE(describe(menus[2]->menu()),
             (QStringList{"Auto Submit ALL=32778", "Auto Submit Reset=32791", "Announce to IndexNow...=32830", "-",
                          "Create Submit Report=32774", "-", "Check Targets=32831", "Stop Check=32832", "-",
                          "Page Rank>", "  Start Update=32804", "  Stop Update=32805", "-",
                          "Internet Option=32794", "Services...=32833"}));
    QCOMPARE(describe(menus[3]->menu()),
             (QStringList{"Search Links To My Website=32813", "Create Links Report=32817", "Update My Link Info>",
                          "  Get All=32818", "  Get Page Rank=32819", "  Get IP Address=32820",
                          "  Get Email Address=32821", "-", "Stop=32816", "-", "Import Links From File=32807",
                          "Output Links  To File=32809"}));
    QCOMPARE(describe(menus[4]->menu()), (QStringList{"&Toolbar=59392", "&Status Bar=59393"}));
    QCOMPARE(describe(menus[5]->menu()), (QStringList{"ROI Calculator=32824"}));
    QCOMPARE(describe(menus[6]->menu()),
             (QStringList{"Help Topic=32775", "Online Update=32800", "-", "Submit Services=32790", "-",
                          "&About Larkspur...=57664"}));
  }

  void recentFileEntryWithoutFilesIsTheDisabledPlaceholder() {
    app().doc()->recentFiles().remove(projectPath());
    emit app().doc()->recentFilesChanged();
    const QStringList project = describe(frame()->menuBar()->actions()[0]->menu());
    QVERIFY(project.contains(QStringLiteral("Recent File=57616")));
  }

  void commandsWithoutHandlerAreDisabled() {
    frame()->updateCommandUi();
    for (int id : {kIdEditPaste, kIdEditCut, kIdEditCopy,
                   kIdAutoSubmitAll, kIdAutoSubmitReset,
                   kIdBrowserBack,
                   kIdBrowserForward, kIdBrowserStop, kIdBrowserRefresh, kIdCloseBrowserPage, kIdStopUpdate,
                   kIdStopCheck, kIdFindNext}) {
      QVERIFY2(!frame()->commandEnabled(id), qPrintable(QString::number(id)));
      for (QAction* a : frame()->actions(id)) QVERIFY2(!a->isEnabled(), qPrintable(QString::number(id)));
    }
    for (int id : {kIdFileNew, kIdEditWebsiteInfo, kIdFileOpen, kIdFileSave, kIdFileSaveAs, kIdAppExit, kIdEditFind,
                   kIdSelectAll, kIdInvertSelection, kIdUp, kIdDown, kIdCreateSubmitReport, kIdStartUpdate,
                   kIdInternetOption, kIdStop, kIdViewToolbar, kIdViewStatusBar, kIdAppAbout, kIdFilePrint,
                   kIdFilePrintPreview, kIdFilePrintSetup, kIdRoiCalculator, kIdHelpTopic, kIdOnlineUpdate,
                   kIdSubmitServices, kIdAnnounceIndexNow, kIdCheckTargets}) {
      QVERIFY2(frame()->commandEnabled(id), qPrintable(QString::number(id)));
    }
    // The link-popularity jobs and the link list's file commands work from every tab.
    for (int id : {kIdSearchLinks, kIdCreateLinksReport, kIdGetAll, kIdGetPageRank, kIdGetIpAddress,
                   kIdGetEmailAddress, kIdImportLinks, kIdOutputLinks}) {
      QVERIFY2(frame()->commandEnabled(id), qPrintable(QString::number(id)));
    }
    // Paste stays disabled, whatever the keys say.
    QVERIFY(!frame()->runCommand(kIdEditPaste));
  }

  void commandStatesFollowWhatChangesThemAtOnce() {
    // No event is let through: a timer could not have done it.
    QAction* print = frame()->action(kIdFilePrint);
    frame()->itemView()->tabs()->setCurrentIndex(1);  // the PPC list does not print
    QVERIFY(!print->isEnabled());
    frame()->itemView()->tabs()->setCurrentIndex(0);
    QVERIFY(print->isEnabled());
    app().doc()->setModified(true);
    QVERIFY(frame()->isWindowModified());
    app().doc()->setModified(false);
    QVERIFY(!frame()->isWindowModified());
    frame()->show();
    frame()->toolBar()->toggleViewAction()->trigger();  // the toolbar's own menu
    QVERIFY(!frame()->action(kIdViewToolbar)->isChecked());
    frame()->hide();
  }

  void noKeyIsShownOrBoundTwice() {
    // Every key the window answers to: its menu entries' and its own.
    QList<QKeySequence> seen;
    QStringList clashes;
    auto see = [&](const QKeySequence& key, const QString& owner) {
      if (seen.contains(key)) clashes << key.toString() + QStringLiteral(" again on ") + owner;
      seen << key;
    };
    std::function<void(const QMenu*)> walk = [&](const QMenu* menu) {
      for (QAction* a : menu->actions()) {
        if (a->menu()) {
          walk(a->menu());
          continue;
        }
        const QKeySequence shown = MainWindow::shownKey(*a);
        // The key shown is the first that runs the entry; an entry showing
        // none has none.
        QCOMPARE(a->shortcut(), shown);
        for (const QKeySequence& key : a->shortcuts()) see(key, a->text());
      }
    };
    for (QAction* menu : frame()->menuBar()->actions()) walk(menu->menu());
    for (const QShortcut* shortcut : frame()->findChildren<QShortcut*>()) see(shortcut->key(), "a window key");
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QStringLiteral(", "))));
    QVERIFY(seen.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
  }

  void shownKeysRunTheirCommandsWhicheverPaneHasTheFocus_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("id");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+N New") << int(Qt::Key_N) << ctrl << int(kIdFileNew);
    QTest::newRow("Ctrl+E Edit website info") << int(Qt::Key_E) << ctrl << int(kIdEditWebsiteInfo);
    QTest::newRow("Ctrl+O Open") << int(Qt::Key_O) << ctrl << int(kIdFileOpen);
    QTest::newRow("Ctrl+S Save") << int(Qt::Key_S) << ctrl << int(kIdFileSave);
    QTest::newRow("Ctrl+P Print") << int(Qt::Key_P) << ctrl << int(kIdFilePrint);
    QTest::newRow("Ctrl+Q Exit") << int(Qt::Key_Q) << ctrl << int(kIdAppExit);
    QTest::newRow("Ctrl+X Cut") << int(Qt::Key_X) << ctrl << int(kIdEditCut);
    QTest::newRow("Ctrl+C Copy") << int(Qt::Key_C) << ctrl << int(kIdEditCopy);
    QTest::newRow("Ctrl+V Paste") << int(Qt::Key_V) << ctrl << int(kIdEditPaste);
    QTest::newRow("Ctrl+F Find") << int(Qt::Key_F) << ctrl << int(kIdEditFind);
    QTest::newRow("F3 Find Next") << int(Qt::Key_F3) << int(Qt::NoModifier) << int(kIdFindNext);
    QTest::newRow("Ctrl+A Select All") << int(Qt::Key_A) << ctrl << int(kIdSelectAll);
    QTest::newRow("Ctrl+I Invert Selection") << int(Qt::Key_I) << ctrl << int(kIdInvertSelection);
  }

  void shownKeysRunTheirCommandsWhicheverPaneHasTheFocus() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, id);
    // The command only counts here: the key must reach it, not open dialogs.
    int runs = 0;
    frame()->installCommand(id, [&runs] { ++runs; });
    auto* pane = new QWidget;
    pane->setFocusPolicy(Qt::StrongFocus);
    frame()->setRightPane(pane, nullptr);
    frame()->show();
    QApplication::setActiveWindow(frame());
    QVERIFY(QTest::qWaitForWindowActive(frame()));
    for (QWidget* focus : {static_cast<QWidget*>(engineView()), pane}) {
      focus->setFocus();
      QTRY_COMPARE(QApplication::focusWidget(), focus);
      const int before = runs;
      QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
      QVERIFY2(runs == before + 1, qPrintable(focus->metaObject()->className()));
    }
    frame()->hide();
  }

  void toolbarSlots() {
    const QList<QAction*> entries = frame()->toolBar()->actions();
    QCOMPARE(entries.size(), 19);
    const int ids[] = {kIdFileNew, kIdFileOpen, kIdFileSave, kIdCreateSubmitReport, kIdAutoSubmitAll,
                       kIdAnnounceIndexNow, kIdFilePrint, kIdAppAbout, kIdUp, kIdDown, 0, kIdBrowserBack,
                       kIdBrowserForward, kIdBrowserStop, kIdBrowserRefresh, 0, kIdCloseBrowserPage, 0};
    const char* labels[] = {"New", "Open", "Save", "Report", "Submit", "Announce", "Print", "About", "UP", "DOWNN",
                            "", "BACK", "FORWAD", "STOP", "REFRESH", "", "CLOSE", ""};
    for (int i = 0; i < 18; ++i) {
      if (ids[i] == 0) {
        QVERIFY(entries[i]->isSeparator());
        continue;
      }
      QCOMPARE(entries[i]->data().toInt(), ids[i]);
      QCOMPARE(entries[i]->toolTip(), QString::fromLatin1(labels[i]));
      QCOMPARE(frame()->toolBar()->widgetForAction(entries[i])->width(), 25);
    }
    QWidget* holder = frame()->toolBar()->widgetForAction(entries[18]);
    QVERIFY(holder);
    QCOMPARE(holder->width(), 80);
    QProgressBar* bar = frame()->pageLoadProgressBar();
    QCOMPARE(bar->parentWidget(), holder);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
  }

  void statusBarPanesAndSplitter() {
    QCOMPARE(frame()->statusMessage(), QStringLiteral("Ready"));
    QCOMPARE(frame()->statusTextPane()->width(), 250);
    QCOMPARE(frame()->statusTextPane()->text(), QStringLiteral("Total Link: 342 Select:   0"));
    QCOMPARE(frame()->statusProgress()->width(), 150);
    QCOMPARE(frame()->statusProgress()->maximum(), 100);
    engineView()->selectAllRows();
    QCOMPARE(frame()->statusTextPane()->text(), QStringLiteral("Total Link: 342 Select: 342"));

    QSplitter* splitter = frame()->splitter();
    QCOMPARE(splitter->count(), 2);
    QCOMPARE(splitter->widget(0), frame()->itemView());
    QCOMPARE(splitter->widget(1)->objectName(), QStringLiteral("browserPanePlaceholder"));
    frame()->resize(1000, 700);
    frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame()));
    // The browser pane takes what the list pane leaves.
    QCOMPARE(splitter->sizes().at(0) + splitter->handleWidth() + splitter->sizes().at(1), splitter->width());
    frame()->hide();
    QTabWidget* tabs = frame()->itemView()->tabs();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Search Engine Submit"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("PPC Manage"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Link To www.example-garden.com"));
  }

  void workAreaIsRebuiltOnOpenAndNew() {
    QPointer<EngineListView> before = engineView();
    const QString other = program_->writeProject(QStringLiteral("other.lkr"), "http://other.example.net/");
    QVERIFY(app().doc()->openDocumentFile(other));
    QVERIFY(!before);  // the old view is gone
    QVERIFY(engineView());
    QCOMPARE(engineView()->rowCount(), 342);
    QCOMPARE(frame()->windowTitle(), QStringLiteral("http://other.example.net/[*] - Larkspur"));
  }

  void rightPaneReceivesTargetsFromTheEngineList() {
    RecordingOpener opener;
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("browser"));
    frame()->setRightPane(pane, &opener);
    QCOMPARE(frame()->splitter()->widget(1), pane);
    engineView()->stepDown();
    QCOMPARE(opener.opened.size(), std::size_t{1});
    QCOMPARE(opener.opened[0].first, app().project().engines.at(0));
    QCOMPARE(opener.opened[0].second, false);
    frame()->setRightPane(pane, nullptr);
  }

  void stopSetsTheStopSignal() {
    core::Event& stop = core::processCoordination().stop;
    QVERIFY(!stop.isSet());
    QVERIFY(frame()->runCommand(kIdStop));
    QVERIFY(stop.isSet());
  }

  void batchCommandsPassTheAutomaticTargets() {
    core::EngineTable& engines = app().project().engines;
    std::vector<std::vector<core::EngineRecord*>> runs;
    std::vector<std::vector<core::EngineRecord*>> leftOut;
    bool modifiedDuringRun = false;
    auto* batch = new BatchCommands(*frame(), *app().doc());
    batch->setRunner([&](const std::vector<core::EngineRecord*>& targets,
                         const std::vector<core::EngineRecord*>& unhealthy) {
      runs.push_back(targets);
      leftOut.push_back(unhealthy);
      modifiedDuringRun = app().doc()->isModified();
      for (core::EngineRecord* record : targets) record->submit_state.assign("Submit-OK");
    });
    engines.at(0)->submit_state = "Submit-Error";
    app().doc()->setModified(false);
    QVERIFY(frame()->runCommand(kIdAutoSubmitAll));
    QCOMPARE(runs.size(), std::size_t{1});
    std::vector<core::EngineRecord*> automatic;
    for (std::size_t i = 0; i < engines.size(); ++i) {
      if (engines.at(i)->submit_type != 0) automatic.push_back(engines.at(i));
    }
    QVERIFY(automatic.size() > 100 && automatic.size() < engines.size());
    QCOMPARE(runs[0], automatic);
    QVERIFY(leftOut[0].empty());
    // Changed once a target's record has changed, not when the batch opens.
    QVERIFY(!modifiedDuringRun);
    QVERIFY(app().doc()->isModified());
    // The list shows the states the batch left.
    QCOMPARE(engineView()->topLevelItem(0)->text(EngineListView::kColumnState), QStringLiteral("Submit-OK"));

    // A reset run leaves out what succeeded: here that is everything. An
    // unhealthy one is offered to be left out.
    automatic[3]->submit_state = "Submit-Error";
    automatic[3]->health = "parked";
    QVERIFY(frame()->runCommand(kIdAutoSubmitReset));
    QCOMPARE(runs[1], std::vector<core::EngineRecord*>{automatic[3]});
    QCOMPARE(leftOut[1], std::vector<core::EngineRecord*>{automatic[3]});
    QVERIFY(frame()->runCommand(kIdAutoSubmitReset));
    QVERIFY(runs[2].empty());  // an empty list still opens the batch
    batch->setRunner({});
    QVERIFY(!frame()->commandEnabled(kIdAutoSubmitAll));
  }

  void chosenUnhealthyTargetsAreSubmittedOnlyOnceTheUserSaysSo() {
    core::EngineRecord* live = app().project().engines.at(0);
    core::EngineRecord* parked = app().project().engines.at(1);
    live->health = "live";
    parked->health = "parked";
    parked->health_reason = "name servers at a parking service";
    std::vector<std::vector<core::EngineRecord*>> runs;
    auto* batch = new BatchCommands(*frame(), *app().doc());
    batch->setRunner([&runs](const auto& targets, const auto& unhealthy) {
      QVERIFY(unhealthy.empty());  // chosen one by one: none is left out
      runs.push_back(targets);
    });
    // Asked once, naming the unhealthy one only; healthy ones alone go unasked.
    const QString parkedLine = QString::fromUtf8(parked->name.c_str()) + ": parked (name servers at a parking service)";
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
      boxes().clear();
      boxes().queueAnswer(answer);
      emit engineView()->autoSubmitRequested({live, parked});
      QCOMPARE(boxes().texts().size(), 1);
      QVERIFY2(boxes().texts()[0].contains(parkedLine), qPrintable(boxes().texts()[0]));
      QVERIFY(!boxes().texts()[0].contains(QString::fromUtf8(live->name.c_str()) + ':'));
    }
    emit engineView()->autoSubmitRequested({live});
    QCOMPARE(boxes().texts().size(), 1);
    QCOMPARE(runs, (std::vector<std::vector<core::EngineRecord*>>{{live, parked}, {live}}));
    batch->setRunner({});
  }

  void targetCheckStopsWithinASecondAndFillsTheHealthColumn() {
    QUdpSocket silentDns;  // where the name look-ups go, never answered
    QVERIFY(silentDns.bind(QHostAddress::LocalHost, 0));
    auto* check = test::installed<TargetCheckCommands>(app());
    check->options().dnsServer = "127.0.0.1:" + std::to_string(silentDns.localPort());
    core::EngineTable& engines = app().project().engines;
    engines.at(0)->health = "parked";
    QVERIFY(frame()->runCommand(kIdCheckTargets));
    QVERIFY(!frame()->commandEnabled(kIdCheckTargets) && frame()->commandEnabled(kIdStopCheck));
    QCOMPARE(frame()->statusMessage(), QStringLiteral("Checking targets: 0 of 342"));
    QCOMPARE(frame()->statusProgress()->text(), QStringLiteral("0 of 342"));
    QSignalSpy finished(check, &TargetCheckCommands::finished);
    QVERIFY(frame()->runCommand(kIdStopCheck));
    QVERIFY(finished.wait(1500));
    QCOMPARE(frame()->statusMessage(), QStringLiteral("Stopped after 0 of 342"));
    QVERIFY(frame()->statusProgress()->isHidden());
    QVERIFY(frame()->commandEnabled(kIdCheckTargets) && !frame()->commandEnabled(kIdStopCheck));
    // Cut short, the check says nothing new of a target.
    QCOMPARE(engines.at(0)->health, "parked");
    QVERIFY(!app().doc()->isModified());

    // The selected targets' verdicts reach their records and the list.
    check->options().deadline = std::chrono::milliseconds(300);
    emit engineView()->targetCheckRequested({engines.at(3), engines.at(5)});
    QVERIFY(finished.wait(10000));
    QVERIFY(frame()->statusMessage().startsWith(QStringLiteral("Check complete: ")));
    for (int row : {3, 5}) {
      const QString verdict = QString::fromUtf8(engines.at(static_cast<std::size_t>(row))->health.c_str());
      QVERIFY(!verdict.isEmpty());
      QCOMPARE(engineView()->topLevelItem(row)->text(EngineListView::kColumnHealth), verdict);
    }
    QVERIFY(app().doc()->isModified());
  }

  void commandsForTheWebsiteRefuseAProfileWithoutOne_data() {
    QTest::addColumn<int>("id");  // kIdAutoSubmit: the engine list's "Auto Submit"
    QTest::newRow("Auto Submit ALL") << int(kIdAutoSubmitAll);
    QTest::newRow("Auto Submit Reset") << int(kIdAutoSubmitReset);
    QTest::newRow("Auto Submit") << int(kIdAutoSubmit);
    QTest::newRow("Create Submit Report") << int(kIdCreateSubmitReport);
    QTest::newRow("Search Links To My Website") << int(kIdSearchLinks);
    QTest::newRow("Create Links Report") << int(kIdCreateLinksReport);
  }

  void commandsForTheWebsiteRefuseAProfileWithoutOne() {
    QFETCH(int, id);
    int batches = 0;
    auto* batch = new BatchCommands(*frame(), *app().doc());
    batch->setRunner(
        [&batches](const std::vector<core::EngineRecord*>&, const std::vector<core::EngineRecord*>&) { ++batches; });
    test::FileDialogAnswers dialogs;
    auto run = [&] {
      if (id == kIdAutoSubmit) {
        emit engineView()->autoSubmitRequested({app().project().engines.at(0)});
      } else {
        QVERIFY(frame()->runCommand(id));
      }
    };
    for (const char* url : {"http://", "www.example-garden.com", ""}) {
      core::copyText(app().project().profile.url, url);
      app().project().profileChanged();
      app().doc()->setModified(false);
      boxes().clear();
      run();
      QCOMPARE(boxes().texts().size(), 1);
      QVERIFY2(boxes().texts()[0].contains(QStringLiteral("\"Edit website info\"")), qPrintable(boxes().texts()[0]));
      // Nothing started: no batch, no file dialog, no job, no change.
      QCOMPARE(batches, 0);
      QVERIFY(dialogs.requests().empty());
      QVERIFY(!jobs()->jobTimerActive(1) && !jobs()->jobTimerActive(2));
      QVERIFY(!app().doc()->isModified());
    }
    batch->setRunner({});
  }

  void createSubmitReportWritesAndOpensTheFile() {
    test::FileDialogAnswers dialogs;
    UrlRecorder urls;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
    const QString report = program_->path(QStringLiteral("report.HTML"));
    dialogs.queue(report);
    engineView()->sortItems(EngineListView::kColumnName, Qt::DescendingOrder);
    QVERIFY(frame()->runCommand(kIdCreateSubmitReport));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    QCOMPARE(dialogs.requests().size(), std::size_t{1});
    QCOMPARE(dialogs.requests()[0].proposedPath, QStringLiteral("example-garden.HTM"));
    QCOMPARE(dialogs.requests()[0].filter, QStringLiteral("HTML (*.html)"));
    QCOMPARE(urls.urls, QList<QUrl>{QUrl::fromLocalFile(report)});
    QCOMPARE(frame()->statusMessage(), QStringLiteral("The submit report is in ") + report);
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("<h2>Website : http://www.example-garden.com/</h2>\t\n\t\n"));
    // Rows in the order the list shows: sorted by name, descending.
    const QByteArray firstRow = "<tr><td><p align=\"center\">" +
                                engineView()->topLevelItem(0)->text(0).toUtf8() + "</td>";
    const QByteArray lastRow = "<tr><td><p align=\"center\">" +
                               engineView()->topLevelItem(341)->text(0).toUtf8() + "</td>";
    QVERIFY(bytes.indexOf(firstRow) > 0);
    QVERIFY(bytes.indexOf(firstRow) < bytes.indexOf(lastRow));
    QCOMPARE(bytes.count("<tr>"), 343);
    QCOMPARE(bytes.count("<td>Un-Submit</td>"), 342);

    // A cancelled dialog writes nothing.
    QVERIFY(QFile::remove(report));
    QVERIFY(frame()->runCommand(kIdCreateSubmitReport));
    QVERIFY(!QFile::exists(report));
  }

  void pageLoadProgressProtocol() {
    QProgressBar* bar = frame()->pageLoadProgressBar();
    // A bar as tall as the buttons, shown only while a page loads.
    QCOMPARE(bar->height(), frame()->toolBar()->iconSize().height());
    QAction* slot = frame()->toolBar()->actions().last();
    const auto shown = [slot] { return slot->isVisible(); };
    QVERIFY(!shown());
    frame()->pageLoadProgress(-1, 100);
    QCOMPARE(bar->value(), 100);
    QVERIFY(!shown());
    frame()->pageLoadStarted();
    QVERIFY(shown());
    QCOMPARE(bar->value(), 0);
    for (int i = 0; i < 30; ++i) frame()->pageLoadProgress(10, 100);
    QCOMPARE(bar->value(), 85);  // steps of 5 while at 80 or below
    frame()->pageLoadStarted();
    frame()->pageLoadProgress(0, 100);
    frame()->pageLoadProgress(100, 100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(shown());
    frame()->pageLoadProgress(-1, 100);
    QVERIFY(!shown());
  }

  void jobAnimationAndEndMessages() {
    core::Coordination& coordination = core::processCoordination();
    coordination.workers.add();
    jobs()->startJobTimer(1, 100000);
    jobs()->startJobTimer(2, 100000);
    QStringList texts;
    for (int i = 0; i < 10; ++i) {
      jobs()->jobTick(1);
      texts << frame()->statusMessage();
    }
    // Even steps change the text; odd steps leave it.
    QCOMPARE(texts, (QStringList{"Ready", "Searching .", "Searching .", "Searching ..", "Searching ..",
                                 "Searching ...", "Searching ...", "Searching ....", "Searching ....",
                                 "Searching "}));
    QCOMPARE(frame()->statusProgress()->maximum(), 0);  // busy: no count is known
    coordination.workers.remove();

    // Stopped: only the ticking timer ends, with the canceled message.
    coordination.stop.set();
    jobs()->jobTick(2);
    QVERIFY(!jobs()->jobTimerActive(2));
    QVERIFY(jobs()->jobTimerActive(1));
    QCOMPARE(frame()->statusMessage(), QStringLiteral("Check canceled!"));
    QVERIFY(!frame()->statusProgress()->isHidden());  // the search's share is left

    // Not stopped: the ticking timer ends; another job's goes on to its own end.
    coordination.stop.reset();
    jobs()->startJobTimer(3, 100000);
    jobs()->jobTick(1);
    QCOMPARE(frame()->statusMessage(), QStringLiteral("Search complete!"));
    QVERIFY(!jobs()->jobTimerActive(1));
    QVERIFY(jobs()->jobTimerActive(3));
    jobs()->jobTick(3);
    QCOMPARE(frame()->statusMessage(), QStringLiteral("Update complete!"));
    QVERIFY(frame()->statusProgress()->isHidden());
    QVERIFY(boxes().texts().isEmpty());
  }

  void viewMenuTogglesBars() {
    frame()->show();
    QVERIFY(frame()->statusBar()->isVisible());
    QVERIFY(frame()->runCommand(kIdViewStatusBar));
    QVERIFY(!frame()->statusBar()->isVisible());
    QVERIFY(!frame()->action(kIdViewStatusBar)->isChecked());
    QVERIFY(frame()->runCommand(kIdViewToolbar));
    QVERIFY(!frame()->toolBar()->isVisible());
    frame()->hide();
  }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
