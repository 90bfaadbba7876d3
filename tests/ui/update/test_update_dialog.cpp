// The "Online update" dialog over a real update run against a local server:
// the equal-version answer, an update installed (restart declined or
// accepted), Cancel during a slow download, and ending the run while the
// worker waits for an answer.

#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "update/online_update.h"
#include "core/service_hosts.h"
#include "update/sha256.h"
#include "update/update_version.h"
#include "tests/support/local_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_signing_key.h"
#include "tests/ui/ui_test_support.h"
#include "ui/update/update_dialog.h"
#include "ui/update/update_run.h"

using namespace larkspur;
using namespace larkspur::ui;
namespace fs = std::filesystem;

namespace {

const QString kNoUpdate = QStringLiteral("No update version to download at this time.");
const QString kRestart = QStringLiteral(
    "The application was updated and will be available next time you run it.\n Do you want restart it ?");

std::string programBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 37 + i / 11) & 0xff);
  return bytes;
}

}  // namespace

class TestUpdateDialog : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::InstalledProgram> installed_;
  std::unique_ptr<test::LocalServer> server_;
  std::unique_ptr<test::MessageBoxRecorder> boxes_;
  std::string newProgram_ = programBytes(100000);
  std::mutex mutex_;
  std::string description_;
  test::UpdateSigningKey key_;
  std::atomic<int> programRequests_{0};
  std::atomic<bool> slow_{false};

  void serve(const std::string& version) {
    std::lock_guard lock(mutex_);
    description_ = version + "," + std::to_string(newProgram_.size()) + "," + update::sha256Hex(newProgram_) + "\r\n";
  }

  update::UpdateAgentSetup setup() const {
    update::UpdateAgentSetup s = update::defaultUpdateSetup();
    s.programPath = installed_->program;
    s.tempFolder = installed_->downloads;
    test::trustOnly(s, key_, installed_->dir.file("update_keys"));
    s.transfer.connectTimeout = std::chrono::milliseconds(5000);
    s.transfer.stallTimeout = std::chrono::milliseconds(5000);
    return s;
  }

  void expectProgramUntouched() const {
    QCOMPARE(test::readFile(installed_->program), std::string("old program"));
    QVERIFY(!fs::exists(installed_->program.parent_path() / "OldExecutable.bak"));
  }

 private slots:
  void init() {
    installed_ = std::make_unique<test::InstalledProgram>();
    programRequests_ = 0;
    slow_ = false;

    server_ = std::make_unique<test::LocalServer>();
    test::serveSignedDescription(*server_, key_, [this] {
      std::lock_guard lock(mutex_);
      return description_;
    });
    server_->get("/larkspur.exe", [this](const httplib::Request&, httplib::Response& res) {
      ++programRequests_;
      if (!slow_) {
        res.set_content(newProgram_, "application/octet-stream");
        return;
      }
      // A block every 20 ms: the whole program would take about 5 s.
      res.set_content_provider(newProgram_.size(), "application/octet-stream",
                               [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 if (server_->stopping()) return false;
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 const std::size_t n = std::min<std::size_t>(length, 1000);
                                 sink.write(newProgram_.data() + offset, n);
                                 return true;
                               });
    });
    QVERIFY(server_->start());
    QVERIFY(core::setServiceBase(server_->baseUrl()));
    boxes_ = std::make_unique<test::MessageBoxRecorder>();
  }

  void cleanup() {
    boxes_.reset();
    core::setServiceBase("");
    server_.reset();
    installed_.reset();
  }

  void dialogBeforeStart() {
    UpdateRun run;
    UpdateDialog dialog(run, setup(), {});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Online update"));
    QCOMPARE(dialog.startButton()->text(), QStringLiteral("Start"));
    QCOMPARE(dialog.startButton()->property("controlId").toInt(), 1011);
    QCOMPARE(dialog.cancelButton()->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.progressBar()->property("controlId").toInt(), 1009);
    QCOMPARE(dialog.progressBar()->minimum(), 0);
    QCOMPARE(dialog.progressBar()->maximum(), 100);
    QCOMPARE(dialog.progressBar()->value(), 0);
    QVERIFY(dialog.startButton()->isEnabled());
    // Enter presses nothing; the dialog stays open and nothing starts.
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QVERIFY(!run.running());
  }

  void equalVersionIsNoUpdate() {
    serve(update::ownProgramVersion());
    UpdateRun run;
    int closeRequests = 0;
    UpdateDialog dialog(run, setup(), [&](const QString&) { ++closeRequests; });
    QTimer::singleShot(0, dialog.startButton(), &QPushButton::click);
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));  // the run's end closes the dialog
    QVERIFY(!dialog.startButton()->isEnabled());
    QCOMPARE(boxes_->texts(), QStringList{kNoUpdate});  // no question asked
    QCOMPARE(programRequests_.load(), 0);
    QCOMPARE(dialog.progressBar()->value(), 0);
    QCOMPARE(closeRequests, 0);
    expectProgramUntouched();
    QTRY_VERIFY(!run.running());
  }

  void newerVersionIsInstalled() {
    serve("99.0");
    UpdateRun run;
    int closeRequests = 0;
    UpdateDialog dialog(run, setup(), [&](const QString&) { ++closeRequests; });
    boxes_->queueAnswer(QMessageBox::Yes);  // proceed
    boxes_->queueAnswer(QMessageBox::No);   // no restart
    QTimer::singleShot(0, dialog.startButton(), &QPushButton::click);
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(boxes_->texts(),
             (QStringList{"An update of Version 99.0 is now available. Proceed with the update?", kRestart}));
    QCOMPARE(dialog.progressBar()->value(), 100);
    QCOMPARE(test::readFile(installed_->program), newProgram_);
    QCOMPARE(test::readFile(installed_->program.parent_path() / "OldExecutable.bak"), std::string("old program"));
    QCOMPARE(closeRequests, 0);
    QTRY_VERIFY(!run.running());
  }

  void restartClosesTheMainWindowAfterTheDialog() {
    serve("99.0");
    UpdateRun run;
    QStringList restarts;
    bool dialogOpenAtClose = true;
    std::unique_ptr<UpdateDialog> dialog;
    dialog = std::make_unique<UpdateDialog>(run, setup(), [&](const QString& program) {
      restarts << program;
      dialogOpenAtClose = dialog->isVisible();
    });
    boxes_->queueAnswer(QMessageBox::Yes);
    boxes_->queueAnswer(QMessageBox::Yes);
    QTimer::singleShot(0, dialog->startButton(), &QPushButton::click);
    QCOMPARE(dialog->exec(), int(QDialog::Accepted));
    QCOMPARE(restarts, QStringList{QString::fromStdString(installed_->program.string())});
    QVERIFY(!dialogOpenAtClose);
    QCOMPARE(test::readFile(installed_->program), newProgram_);
    QTRY_VERIFY(!run.running());
  }

  void cancelDuringTheDownload() {
    serve("99.0");
    slow_ = true;
    UpdateRun run;
    UpdateDialog dialog(run, setup(), {});
    boxes_->queueAnswer(QMessageBox::Yes);
    QTimer::singleShot(0, dialog.startButton(), &QPushButton::click);
    // Cancel once the download is under way.
    QTimer poll;
    connect(&poll, &QTimer::timeout, &dialog, [&] {
      if (dialog.progressBar()->value() > 0) dialog.cancelButton()->click();
    });
    poll.start(5);
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    poll.stop();
    QVERIFY(update::updateCancelSignal().isSet());
    const int progressAtCancel = dialog.progressBar()->value();
    QVERIFY(progressAtCancel > 0 && progressAtCancel < 100);
    // The worker stops at its next block and still says so.
    QTRY_VERIFY_WITH_TIMEOUT(!run.running(), 3000);
    QTRY_COMPARE(boxes_->texts().size(), 2);
    QCOMPARE(boxes_->texts().last(), kNoUpdate);
    expectProgramUntouched();
    // The partial download stays in the temporary folder.
    QVERIFY(fs::exists(installed_->downloads / "larkspur"));
    QVERIFY(fs::file_size(installed_->downloads / "larkspur") < newProgram_.size());
  }

  void finishReleasesAWorkerWaitingForAnAnswer() {
    serve("99.0");
    UpdateRun run;
    auto dialog = std::make_unique<UpdateDialog>(run, setup(), [](const QString&) {});
    dialog->start();
    // No event is processed: the worker's question cannot be answered.
    for (int i = 0; i < 500 && programRequests_.load() == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QCOMPARE(programRequests_.load(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QVERIFY(run.running());
    const auto started = std::chrono::steady_clock::now();
    run.finish();
    QVERIFY(std::chrono::steady_clock::now() - started < std::chrono::seconds(3));
    QVERIFY(!run.running());
    dialog.reset();
    // What the worker left queued is dropped: no box, nothing installed.
    QTest::qWait(50);
    QVERIFY(boxes_->texts().isEmpty());
    expectProgramUntouched();
  }
};

QTEST_MAIN(TestUpdateDialog)
#include "test_update_dialog.moc"
