// The batch dialog: a batch over the target farm on Qt WebEngine ends every
// target as the farm expects of that engine; the dialog's controls,
// counters and end (said in the dialog); Cancel closes every automatic
// session within about a second without a report; an empty batch ends at
// once; unhealthy targets are left out unless included; "Auto Submit Reset"
// in the main window runs the dialog and the engine list shows the outcome;
// started with a targets file the program submits to its targets; windows
// opened and closed unused leave the project unmodified.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/project.h"
#include "core/service_hosts.h"
#include "core/targets_text.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/local_server.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/web_engine_test_main.h"
#include "ui/announce/announce_commands.h"
#include "ui/announce/announce_window.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/browser/browser_pane.h"
#include "ui/links/link_popularity_commands.h"
#include "ui/links/progress_animation.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/profile_dialog.h"
#include "ui/project/project_document.h"
#include "ui/submit/batch_dialog.h"
#include "ui/submit/submission_windows.h"
#include "webengine/automatic_session.h"
#include "webengine/web_engine_starter.h"

using namespace larkspur;
using namespace larkspur::ui;

namespace {

constexpr const char* kUrl = "http://www.example-bakery.com/";
// A short time-out for the farm's targets that never decide, which leaves a
// busy machine's Chromium time enough for the targets that do decide.
constexpr auto kDialogTimeOut = std::chrono::seconds(8);
constexpr int kBatchWaitMs = 120000;

// The batch's end as the dialog and the status bar say it.
QString batchEnd(int ok, int failed, int skipped = 0) {
  return QStringLiteral("Submit finished, %1 sucessed, %2 error. %3 skipped (left out for their last check).")
      .arg(ok)
      .arg(failed)
      .arg(skipped);
}

BatchPace paced(int tickMs) {
  BatchPace pace;
  pace.tickMs = tickMs;
  return pace;
}

void fillProfile(core::Project& p) {
  core::copyText(p.profile.url, kUrl);
  core::copyText(p.profile.title, "Bäckerei Berg");
  core::copyText(p.profile.email, "owner@example-bakery.com");
  core::copyText(p.profile.first_name, "Anna");
  core::copyText(p.profile.last_name, "Berg");
  core::copyText(p.profile.country, "Germany");
  core::copyText(p.profile.category, "Business");
  core::copyText(p.profile.keyword, "bakery, bread, cakes");
  core::copyText(p.profile.address, "Bäckerstraße 1");
  core::copyText(p.profile.long_description, "A family bakery with fresh bread and cakes every day.");
  p.profileChanged();
}

// Answers the batch dialog while it runs modally: START, then OK at the end.
class DialogDriver : public QObject {
 public:
  DialogDriver() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* dialog = qobject_cast<BatchDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->startButton()->isEnabled()) return;
      if (dialog->startButton()->text() == QLatin1String("START")) {
        ++opened;
        dialog->startButton()->click();
      } else {
        dialog->startButton()->click();  // OK
      }
    });
    timer_.start(10);
  }
  int opened = 0;

 private:
  QTimer timer_;
};

}  // namespace

class TestBatchDialog : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<farm::TargetFarm> farm_;
  core::Project project_;

  std::vector<core::EngineRecord> farmRecords() const {
    std::vector<core::EngineRecord> records;
    for (const farm::FarmTarget& t : farm_->targets()) records.push_back(t.record);
    return records;
  }

  submit::SubmissionContext context(core::Coordination& coordination) {
    submit::SubmissionContext c;
    c.profile = &project_.profile;
    c.words = &project_.words;
    c.coordination = &coordination;
    c.timings.timeOut = kDialogTimeOut;
    return c;
  }

 private slots:
  void initTestCase() {
    farm_ = std::make_unique<farm::TargetFarm>();
    QVERIFY(farm_->start());
    project_.newProject();
    fillProfile(project_);
  }

  void cleanupTestCase() { farm_.reset(); }

  void init() { farm_->clearReceived(); }

  void farmEndsAsTheFarmExpectsOfTheBrowserEngine() {
    // (larkspur-cli runs the same farm through both engines and compares
    // them: tests/headless.)
    std::vector<core::EngineRecord> records = farmRecords();
    std::vector<core::EngineRecord*> targets;
    for (core::EngineRecord& r : records) targets.push_back(&r);
    core::Coordination coordination;
    test::MessageBoxRecorder boxes;
    BatchDialog dialog(targets, context(coordination), paced(50));
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Auto Submit"));
    QCOMPARE(dialog.label(BatchDialog::kIdTotal)->text(), QString::number(records.size()));
    QCOMPARE(dialog.list()->headerItem()->text(0), QStringLiteral("Search Engine"));
    QCOMPARE(dialog.list()->headerItem()->text(1), QStringLiteral("State"));
    QCOMPARE(dialog.list()->columnWidth(0), 100);
    QCOMPARE(dialog.list()->columnWidth(1), 280);
    QCOMPARE(dialog.progressBar()->maximum(), static_cast<int>(records.size()));

    int mostWorkers = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] { mostWorkers = std::max(mostWorkers, coordination.workers.value()); });
    watch.start(5);
    QStringList firstStates;  // each row's state as it appears
    connect(dialog.list()->model(), &QAbstractItemModel::rowsInserted, this,
            [&](const QModelIndex&, int first, int) { firstStates << dialog.list()->topLevelItem(first)->text(1); });
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    QVERIFY(!dialog.startButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.batch().finished(), kBatchWaitMs);
    QCOMPARE(firstStates, QStringList(static_cast<int>(records.size()), QStringLiteral("Connect to 127.0.0.1")));
    QVERIFY(mostWorkers >= 2);
    QVERIFY(mostWorkers <= submit::kBatchWorkerLimit);

    const std::vector<farm::FarmTarget> all = farm_->targets();
    int ok = 0;
    for (const farm::FarmTarget& t : all) ok += t.browserState == "Submit-OK" ? 1 : 0;
    const int failed = static_cast<int>(records.size()) - ok;
    QVERIFY(boxes.texts().isEmpty());  // nothing to decide: the dialog says it
    QCOMPARE(dialog.endLabel()->text(), batchEnd(ok, failed));
    QCOMPARE(dialog.progressBar()->text(), QStringLiteral("%1 of %1").arg(records.size()));
    QCOMPARE(dialog.startButton()->text(), QStringLiteral("OK"));
    QVERIFY(dialog.startButton()->isEnabled());
    QCOMPARE(dialog.label(BatchDialog::kIdProcessed)->text(), QString::number(records.size()));
    QCOMPARE(dialog.label(BatchDialog::kIdSucceeded)->text(), QString::number(ok));
    QCOMPARE(dialog.label(BatchDialog::kIdFailed)->text(), QString::number(failed));
    QCOMPARE(dialog.progressBar()->value(), static_cast<int>(records.size()));
    QVERIFY(dialog.animationFrame() >= 0);

    for (std::size_t i = 0; i < all.size(); ++i) {
      const QByteArray key = QByteArray::fromStdString(all[i].key);
      QVERIFY2(records[i].submit_state.str() == all[i].browserState, key);
      QVERIFY2(records[i].message.str() == all[i].browserMessage, key + " " + QByteArray(records[i].message.c_str()));
      // The row shows the final message with the icon of its outcome.
      const submit::BatchRow& row = dialog.batch().rows()[i];
      QCOMPARE(row.record, &records[i]);
      QCOMPARE(dialog.list()->topLevelItem(static_cast<int>(i))->text(1), QString::fromStdString(all[i].browserMessage));
      QCOMPARE(row.icon, all[i].browserState == "Submit-OK" ? submit::RowIcon::kSucceeded : submit::RowIcon::kFailed);
    }

    dialog.startButton()->click();  // OK
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(coordination.workers.value(), 0);
  }

  void cancelClosesEverySessionWithinASecond() {
    const farm::FarmTarget slow = *farm_->target("never-answers");
    const farm::FarmTarget undecided = *farm_->target("never-classifies");
    std::vector<core::EngineRecord> records;
    for (int i = 0; i < 3; ++i) records.push_back(slow.record);
    for (int i = 0; i < 2; ++i) records.push_back(undecided.record);
    std::vector<core::EngineRecord*> targets;
    for (core::EngineRecord& r : records) targets.push_back(&r);
    core::Coordination coordination;
    test::MessageBoxRecorder boxes;
    submit::SubmissionContext c = context(coordination);
    c.timings.timeOut = std::chrono::seconds(60);  // only the stop signal ends them here
    BatchDialog dialog(targets, c, paced(10));
    dialog.show();
    dialog.startButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(dialog.starter().runningSessions(), 5, 5000);
    // The undecided ones have sent their form and wait for a verdict.
    QTRY_VERIFY_WITH_TIMEOUT(farm_->received("never-classifies").size() == 4, 10000);
    QTest::qWait(300);

    QElapsedTimer clock;
    clock.start();
    dialog.cancelButton()->click();
    const qint64 took = clock.elapsed();
    QVERIFY(coordination.stop.isSet());
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.starter().runningSessions(), 0);
    qInfo("Cancel closed every session in %lld ms", static_cast<long long>(took));
    QVERIFY2(took <= 1500, QByteArray::number(took));
    // No final report: nothing counted, no record decided; the end says so.
    QCOMPARE(dialog.batch().processed(), 0);
    QVERIFY(boxes.texts().isEmpty());
    QVERIFY2(dialog.endText().startsWith(QStringLiteral("Submit canceled after 0 of 5: 0 sucessed, 0 error.")),
             qPrintable(dialog.endText()));
    for (const core::EngineRecord& r : records) QCOMPARE(r.submit_state.str(), std::string());
    QTRY_COMPARE_WITH_TIMEOUT(coordination.workers.value(), 0, 1000);
  }

  void deadHostsEndAtOnceWithTheirCause() {
    // The product's time-out and tick: a page whose server is gone ends the
    // session at once, and such targets do not wait a tick each. (A host
    // that does not resolve cannot be had here without asking a name server;
    // the session treats both causes alike.)
    std::vector<core::EngineRecord> records;
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
      const farm::FarmTarget t = *farm_->target("refused");
      records.push_back(t.record);
      expected.push_back(t.expectedMessage);
    }
    std::vector<core::EngineRecord*> targets;
    for (core::EngineRecord& r : records) targets.push_back(&r);
    core::Coordination coordination;
    test::MessageBoxRecorder boxes;
    submit::SubmissionContext c = context(coordination);
    c.timings = submit::SessionTimings{};
    BatchDialog dialog(targets, c);
    dialog.show();
    QElapsedTimer clock;
    clock.start();
    dialog.startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.batch().finished(), 20000);
    qInfo("Six dead servers ended in %lld ms", static_cast<long long>(clock.elapsed()));
    QVERIFY2(clock.elapsed() < 6000, QByteArray::number(clock.elapsed()));
    QCOMPARE(dialog.batch().failed(), 6);
    for (std::size_t i = 0; i < records.size(); ++i) {
      QCOMPARE(records[i].submit_state.str(), std::string("Submit-Error"));
      QVERIFY2(records[i].message.str() == expected[i], records[i].message.c_str());
      QCOMPARE(dialog.batch().rows()[i].state, expected[i]);
    }
    dialog.startButton()->click();  // OK
  }

  void cancelDoesNotWaitForADirectRequest() {
    // A direct request to a page that never answers: Cancel closes the dialog
    // at once, and the request's later outcome is never written.
    core::EngineRecord record = farm_->target("direct")->record;
    record.submit_hint.assign(farm_->baseUrl() + "/never-answers/?url=%URL%");
    core::Coordination coordination;
    test::MessageBoxRecorder boxes;
    submit::SubmissionContext c = context(coordination);
    c.fetch.stallTimeout = std::chrono::milliseconds(1500);
    auto dialog = std::make_unique<BatchDialog>(std::vector<core::EngineRecord*>{&record}, c, paced(10));
    dialog->show();
    dialog->startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(farm_->received("never-answers").size() == 1, 5000);
    QElapsedTimer clock;
    clock.start();
    dialog->cancelButton()->click();
    dialog.reset();
    const qint64 took = clock.elapsed();
    QVERIFY2(took < 1000, QByteArray::number(took));
    // The request gives up at its stall limit and ends in the background.
    QTRY_COMPARE_WITH_TIMEOUT(coordination.workers.value(), 0, 10000);
    QTest::qWait(200);
    QCOMPARE(record.submit_state.str(), std::string());
    QCOMPARE(record.message.str(), std::string());
    QVERIFY(boxes.texts().isEmpty());
  }

  void emptyBatchEndsAtOnce() {
    core::Coordination coordination;
    coordination.stop.set();
    test::MessageBoxRecorder boxes;
    BatchDialog dialog({}, context(coordination), paced(50));
    dialog.show();
    QCOMPARE(dialog.label(BatchDialog::kIdTotal)->text(), QStringLiteral("0"));
    dialog.startButton()->click();
    QVERIFY(!coordination.stop.isSet());  // START resets the stop signal
    QCOMPARE(dialog.endText(), batchEnd(0, 0));
    QCOMPARE(dialog.startButton()->text(), QStringLiteral("OK"));
    dialog.startButton()->click();
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
  }

  void unhealthyTargetsAreLeftOutUnlessIncluded() {
    core::Coordination coordination;
    test::MessageBoxRecorder boxes;
    std::vector<core::EngineRecord> records = farmRecords();
    records[0].health = "gone";
    records[0].health_reason = "no such host";
    BatchDialog dialog({&records[0]}, context(coordination), paced(50));
    dialog.leaveOut({&records[0]});
    dialog.show();
    QCheckBox* include = dialog.includeUnhealthyBox();
    QVERIFY(include->isVisible() && !include->isChecked());
    // Included, it is back in the batch; left out, it is listed but not counted.
    for (bool included : {true, false}) {
      include->setChecked(included);
      QCOMPARE(dialog.batch().total(), std::size_t{included ? 1u : 0u});
      QCOMPARE(dialog.label(BatchDialog::kIdTotal)->text(), QString::number(included ? 1 : 0));
      QCOMPARE(dialog.list()->topLevelItemCount(), included ? 0 : 1);
    }
    // A batch without it ends at once, says so and keeps it listed with why.
    dialog.startButton()->click();
    QVERIFY(!include->isEnabled());
    QCOMPARE(dialog.endText(), batchEnd(0, 0, 1));
    QCOMPARE(dialog.list()->topLevelItem(0)->text(1), QStringLiteral("Skipped: gone (no such host)"));
    QVERIFY(farm_->received(farm_->targets()[0].key).empty());
  }

  void cancelBeforeStartSetsTheStopSignal() {
    core::Coordination coordination;
    std::vector<core::EngineRecord> records = farmRecords();
    BatchDialog dialog({&records[0]}, context(coordination), paced(50));
    dialog.show();
    dialog.cancelButton()->click();
    QVERIFY(coordination.stop.isSet());
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
    QVERIFY(farm_->received(farm_->targets()[0].key).empty());
  }

  void autoSubmitResetInTheMainWindow() {
    test::ProgramFixture program;
    const QString path = program.path(QStringLiteral("site.lkr"));
    // Every automatic target already went through but two.
    std::vector<std::string> pending;
    test::writeProject(path, kUrl, "", [&pending](core::Project& p) {
      for (std::size_t i = 0; i < p.engines.size(); ++i) {
        core::EngineRecord& r = *p.engines.at(i);
        if (r.submit_type == core::kSubmitManual) continue;
        const std::string name(r.name.view());
        if (pending.size() < 2 && name != "Bellnet" && name != "MSN" && name != "Exploit" && name != "Freeaddurl") {
          pending.push_back(name);
          continue;
        }
        r.submit_state.assign("Submit-OK");
      }
    });
    LarkspurApplication app;
    QVERIFY(test::startOn(app, path));
    submit::SubmissionContext batch;
    batch.timings.timeOut = kDialogTimeOut;
    BrowserPane* pane =
        installSubmissionWindows(*app.host(), *app.doc(), core::processCoordination(), batch, paced(20));
    QCOMPARE(app.host()->rightPane(), pane);
    QVERIFY(app.host()->commandEnabled(kIdAutoSubmitReset));
    app.doc()->setModified(false);

    // The targets' pages are asked of the farm, which has none of them.
    QVERIFY(core::setServiceBase(farm_->baseUrl()));
    DialogDriver driver;
    QVERIFY(app.host()->runCommand(kIdAutoSubmitReset));
    core::setServiceBase("");
    QCOMPARE(driver.opened, 1);
    // The window's status bar says how the batch ended.
    QCOMPARE(app.host()->statusMessage(), batchEnd(0, 2));
    QVERIFY(program.boxes->texts().isEmpty());
    QVERIFY(app.doc()->isModified());
    EngineListView* view = app.host()->itemView()->engineView();
    for (const std::string& name : pending) {
      int row = -1;
      for (int i = 0; i < view->rowCount(); ++i) {
        if (view->recordAt(i)->name.view() == name) row = i;
      }
      QVERIFY(row >= 0);
      QCOMPARE(view->topLevelItem(row)->text(EngineListView::kColumnState), QStringLiteral("Submit-Error"));
      QCOMPARE(view->recordAt(row)->message.str(), std::string("Object not found."));
    }
    app.doc()->setModified(false);
  }

  void desktopProgramWithATargetsFileSubmitsToItsTargets() {
    test::ProgramFixture program;
    const QString path = program.path(QStringLiteral("site.lkr"));
    test::writeProject(path, kUrl, "", [](core::Project& p) {
      fillProfile(p);
      p.engines.at(0)->submit_state.assign("Submit-OK");  // a built-in target's state, to be kept
    });
    const farm::FarmTarget sent = *farm_->target("first-button");
    CommandLine commandLine;
    commandLine.projectFile = path;
    commandLine.targetsFile = program.path(QStringLiteral("two.tsv"));
    test::writeFile(commandLine.targetsFile.toStdString(), core::formatTargetLine(sent.record) + "\n" +
                                                              core::formatTargetLine(farm_->target("missing")->record));
    LarkspurApplication app;
    QVERIFY(app.startUp(commandLine, false));
    QCOMPARE(app.host()->itemView()->engineView()->rowCount(), 2);
    submit::SubmissionContext batch;
    batch.timings.timeOut = kDialogTimeOut;
    installSubmissionWindows(*app.host(), *app.doc(), core::processCoordination(), batch, paced(20));
    DialogDriver driver;
    QVERIFY(app.host()->runCommand(kIdAutoSubmitAll));
    QCOMPARE(app.host()->statusMessage(), batchEnd(1, 1));
    QVERIFY(!farm_->received(sent.key).empty());
    // Saved, the built-in targets keep their states as they were.
    QVERIFY(app.doc()->isModified() && app.doc()->save());
    core::Project saved;
    QVERIFY(saved.open(path.toStdString()).ok());
    QCOMPARE(saved.engines.size(), std::size_t{342});
    QCOMPARE(saved.engines.at(0)->submit_state.str(), std::string("Submit-OK"));
  }

  void windowsOpenedAndClosedLeaveTheProjectUnmodified() {
    test::ProgramFixture program;
    const QString path = program.path(QStringLiteral("site.lkr"));
    test::writeProject(path, kUrl, "", [](core::Project& p) {
      fillProfile(p);
      for (std::size_t i = 0; i < p.engines.size(); ++i) p.engines.at(i)->submit_state.assign("Submit-OK");
    });
    LarkspurApplication app;
    QVERIFY(test::startOn(app, path));
    installSubmissionWindows(*app.host(), *app.doc(), core::processCoordination(), {}, paced(20));
    test::LocalServer search;  // link searches that find nothing
    search.get(".*", [](const httplib::Request&, httplib::Response& res) { res.set_content("<p>", "text/html"); });
    QVERIFY(search.start() && core::setServiceBase(search.baseUrl()));
    auto* jobs = test::installed<LinkPopularityCommands>(app);
    jobs->options().search.stopPoll = std::chrono::milliseconds(10);
    const std::vector<std::pair<const char*, std::function<void()>>> windows = {
        {"announce window", [&] {
           QVERIFY(app.host()->runCommand(kIdAnnounceIndexNow));
           test::installed<AnnounceCommands>(app)->announceWindow()->close();
         }},
        {"batch dialog cancelled", [&] {
           test::whenModal([](QWidget* m) { qobject_cast<BatchDialog*>(m)->cancelButton()->click(); });
           QVERIFY(app.host()->runCommand(kIdAutoSubmitAll));
         }},
        {"batch over no target: START ends it at once, then OK", [&] {
           test::whenModal([](QWidget* m) {
             for (int i = 0; i < 2; ++i) qobject_cast<BatchDialog*>(m)->startButton()->click();
           });
           QVERIFY(app.host()->runCommand(kIdAutoSubmitReset));
         }},
        {"profile dialog cancelled", [&] {
           test::whenModal([](QWidget* m) { qobject_cast<ProfileDialog*>(m)->cancelButton()->click(); });
           QVERIFY(app.host()->runCommand(kIdEditWebsiteInfo));
         }},
        {"link search finding nothing", [&] {
           QVERIFY(app.host()->runCommand(kIdSearchLinks));
           QTRY_COMPARE_WITH_TIMEOUT(app.host()->statusMessage(), QStringLiteral("Search complete! 0 new links"),
                                     20000);
         }},
    };
    for (const auto& [name, openAndClose] : windows) {
      app.doc()->setModified(false);
      openAndClose();
      QVERIFY2(!app.doc()->isModified() && !app.host()->widget()->isWindowModified(), name);
    }
    core::setServiceBase("");
  }
};

LARKSPUR_WEBENGINE_TEST_MAIN(TestBatchDialog)

#include "test_batch_dialog.moc"
