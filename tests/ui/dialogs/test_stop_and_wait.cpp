// Stopping a job and waiting for it: the stop comes first, the wait lasts
// until the job has ended, and a job that has ended already is not waited for.

#include <QtTest>
#include <atomic>
#include <thread>

#include "ui/dialogs/stop_and_wait.h"

using namespace larkspur::ui;

class TestStopAndWait : public QObject {
  Q_OBJECT

 private slots:
  void waitsUntilTheStoppedJobHasEnded() {
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    std::thread job([&] {
      while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ended = true;
    });
    stopAndWait(nullptr, QStringLiteral("Stopping..."), [&] { stop = true; }, [&] { return ended.load(); });
    QVERIFY(ended);
    job.join();
  }

  void anEndedJobIsOnlyAskedToStop() {
    int stops = 0;
    int asked = 0;
    stopAndWait(nullptr, QStringLiteral("Stopping..."), [&] { ++stops; }, [&] { return ++asked > 0; });
    QCOMPARE(stops, 1);
    QCOMPARE(asked, 1);
  }
};

QTEST_MAIN(TestStopAndWait)
#include "test_stop_and_wait.moc"
