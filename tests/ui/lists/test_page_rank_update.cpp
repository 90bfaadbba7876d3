// The engine page-rank update: ranks from a local toolbar query service land
// in the right rows of a sorted list, Stop ends it after the record in hand,
// a later start runs over every record, and New or Open wait for it.

#include <QElapsedTimer>
#include <QProgressBar>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/coordination.h"
#include "core/engine_table.h"
#include "core/fixed_text.h"
#include "core/message_queue.h"
#include "core/project.h"
#include "core/service_hosts.h"
#include "core/settings_store.h"
#include "core/website_profile.h"
#include "tests/support/local_server.h"
#include "tests/support/silent_port.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "links/engine_page_rank_update.h"
#include "ui/links/page_rank_update_commands.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"

using namespace larkspur;
using namespace std::chrono_literals;

namespace {

// The rank the fake service gives a host.
int fakeRank(const std::string& host) {
  unsigned sum = 0;
  for (unsigned char c : host) sum += c;
  return static_cast<int>(sum % 10);
}

}  // namespace

class TestPageRankUpdate : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
  void cleanup() { core::setServiceBase(""); }

  void ranksFromTheServiceReachTheRightRowsOfASortedList() {
    test::MessageBoxRecorder boxes;
    test::LocalServer server;
    std::atomic<int> requests{0};
    server.get("/search", [&requests](const httplib::Request& request, httplib::Response& response) {
      ++requests;
      std::string q = request.get_param_value("q");
      const std::string host = q.rfind("info:", 0) == 0 ? q.substr(5) : std::string("?");
      response.set_content("Rank_1:1:" + std::to_string(fakeRank(host)), "text/plain");
    });
    QVERIFY(server.start());
    QVERIFY(core::setServiceBase(server.baseUrl()));

    core::EngineTable engines;
    engines.buildFromBuiltIn();
    for (std::size_t i = 0; i < engines.size(); ++i) engines.at(i)->rank = 0;
    ui::EngineListView view(engines, core::Settings::defaultEngineColumnWidths());
    view.fill();
    view.sortItems(ui::EngineListView::kColumnCountry, Qt::DescendingOrder);

    core::Event stop;
    stop.set();  // left over from an earlier Stop: the update resets it
    links::EnginePageRankUpdate update(stop);
    std::atomic<int> changed{0};
    QVERIFY(update.start(engines, [&view, &changed](core::Message message) {
      if (message.id == core::MessageId::kRecordChanged) ++changed;
      QMetaObject::invokeMethod(&view, [&view, message] { view.handleMessage(message); }, Qt::QueuedConnection);
    }));
    QVERIFY(update.running());
    QVERIFY(!stop.isSet());
    QVERIFY(!update.start(engines, {}));  // one at a time
    QTRY_VERIFY_WITH_TIMEOUT(!update.running(), 120000);
    update.join();
    // The view's messages were posted before the end.
    QCoreApplication::sendPostedEvents(&view, QEvent::MetaCall);
    QVERIFY(boxes.texts().isEmpty());  // the end is the window's to tell
    QVERIFY(!update.running());
    QCOMPARE(changed.load(), 342);
    QCOMPARE(requests.load(), 342);

    int nonZero = 0;
    for (int row = 0; row < view.rowCount(); ++row) {
      const core::EngineRecord* record = view.recordAt(row);
      const int expected = fakeRank(core::hostOfUrl(record->submit_url.view()));
      QCOMPARE(record->rank, expected);
      QCOMPARE(view.topLevelItem(row)->text(ui::EngineListView::kColumnRank), QString::number(expected));
      nonZero += expected != 0;
    }
    QVERIFY(nonZero > 100);
  }

  void failedQueriesKeepTheStoredRank() {
    test::MessageBoxRecorder boxes;
    QVERIFY(core::setServiceBase("http://127.0.0.1:" + std::to_string(test::unusedLocalPort())));
    core::EngineTable engines;
    engines.buildFromBuiltIn();
    const int32_t stored = engines.at(0)->rank;
    QVERIFY(stored != 0);
    QVERIFY(!links::queryHostRank("www.example.com").has_value());
    core::MessageQueue queue;
    core::Event stop;
    links::EnginePageRankUpdate update(stop);
    // Only the first record: the test stops the update after it.
    QVERIFY(update.start(engines, queue.poster(), [&stop](std::string_view host, const core::Event*) {
      stop.set();
      return links::queryHostRank(host);
    }));
    update.join();
    QCOMPARE(engines.at(0)->rank, stored);
    QVERIFY(engines.at(1)->rank != 0);
  }

  void stopCutsAQueryToASilentServiceShort() {
    test::SilentPort silent;
    QVERIFY(core::setServiceBase(silent.baseUrl()));
    core::EngineTable engines;
    engines.buildFromBuiltIn();
    core::MessageQueue queue;
    core::Event stop;
    links::EnginePageRankUpdate update(stop);
    QVERIFY(update.start(engines, queue.poster()));
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    stop.set();
    update.join();
    QVERIFY2(clock.elapsed() < 1500, QByteArray::number(clock.elapsed()));
    QVERIFY2(engines.at(0)->rank != 0, "the stored rank stays");
  }

  void stopEndsAfterTheRecordInHandAndALaterStartRunsEverything() {
    core::EngineTable engines;
    engines.buildFromBuiltIn();
    core::Event stop;
    core::MessageQueue queue;
    links::EnginePageRankUpdate update(stop);
    int calls = 0;
    QVERIFY(update.start(engines, queue.poster(), [&](std::string_view, const core::Event*) {
      if (++calls == 3) stop.set();
      return 7;
    }));
    update.join();
    std::vector<core::Message> messages = queue.take();
    QCOMPARE(messages.size(), std::size_t{4});
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(messages[i].id, core::MessageId::kRecordChanged);
      QCOMPARE(messages[i].record, static_cast<void*>(engines.at(static_cast<std::size_t>(i))));
      QCOMPARE(messages[i].param, int64_t{i});
    }
    QCOMPARE(messages[3].id, core::MessageId::kPageRankFinished);
    QCOMPARE(update.runningFlag(), 0);

    QVERIFY(update.start(engines, queue.poster(), [](std::string_view, const core::Event*) { return 1; }));
    update.join();
    messages = queue.take();
    QCOMPARE(messages.size(), engines.size() + 1);
    QCOMPARE(engines.at(engines.size() - 1)->rank, 1);
  }

  void frameCommandsFollowTheRunningFlagAndOpenWaitsForTheUpdate() {
    test::ProgramFixture program;
    const QString first = program.writeProject(QStringLiteral("first.lkr"), "http://first.example.com/");
    const QString second = program.writeProject(QStringLiteral("second.lkr"), "http://second.example.com/");
    ui::LarkspurApplication app;
    QVERIFY(test::startOn(app, first));
    ui::CommandHost* frame = app.host();
    ui::PageRankUpdateCommands* update = test::installed<ui::PageRankUpdateCommands>(app);
    update->setRankQuery([](std::string_view, const core::Event*) {
      std::this_thread::sleep_for(2ms);
      return 5;
    });

    QVERIFY(frame->commandEnabled(ui::kIdStartUpdate));
    QVERIFY(!frame->commandEnabled(ui::kIdStopUpdate));
    QVERIFY(frame->runCommand(ui::kIdStartUpdate));
    QVERIFY(update->running());
    QVERIFY(frame->statusMessage().startsWith(QStringLiteral("Updating page ranks: ")));
    QCOMPARE(frame->statusProgress()->maximum(), 342);
    QVERIFY(!frame->commandEnabled(ui::kIdStartUpdate));
    QVERIFY(frame->commandEnabled(ui::kIdStopUpdate));
    QVERIFY(frame->runCommand(ui::kIdStopUpdate));
    QVERIFY(core::processCoordination().stop.isSet());
    QTRY_VERIFY(!update->running());
    // Its end in the status bar in place of its count; no box.
    QTRY_VERIFY(frame->statusMessage().startsWith(QStringLiteral("Page Rank update finished! Stopped after ")));
    QVERIFY(frame->statusMessage().endsWith(QStringLiteral(" of 342 targets")));
    QVERIFY(frame->statusProgress()->isHidden());
    QVERIFY(program.boxes->texts().isEmpty());
    QTRY_VERIFY(frame->commandEnabled(ui::kIdStartUpdate));

    // Open while the update runs: it is stopped and waited for before the
    // table it writes to is replaced.
    QVERIFY(frame->runCommand(ui::kIdStartUpdate));
    QVERIFY(update->running());
    QVERIFY(app.doc()->openDocumentFile(second));
    QVERIFY(!update->running());
    QCOMPARE(app.doc()->title(), QStringLiteral("http://second.example.com/"));
    QCOMPARE(frame->itemView()->engineView()->rowCount(), 342);
    // The fresh table keeps the ranks it was loaded with: no late write of
    // the stopped update reached it.
    QTest::qWait(50);
    core::Project reference;
    QVERIFY(reference.open(second.toStdString()).ok());
    QCOMPARE(app.project().engines.size(), reference.engines.size());
    for (std::size_t i = 0; i < reference.engines.size(); ++i) {
      QCOMPARE(app.project().engines.at(i)->rank, reference.engines.at(i)->rank);
    }
  }
};

QTEST_MAIN(TestPageRankUpdate)
#include "test_page_rank_update.moc"
