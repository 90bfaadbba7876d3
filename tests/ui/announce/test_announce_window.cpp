// The "Announce to IndexNow" command and window against a local website and
// endpoint (reached through the service base, as --service-base sets it):
// refused without a host, the key file to publish (copied or saved), the
// readiness check (failures told at the top), the announcement recorded in the
// project, and Stop or closing the window ending a run that waits on the endpoint.

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "core/fixed_text.h"
#include "core/service_hosts.h"
#include "tests/support/announce_site.h"
#include "tests/ui/ui_test_support.h"
#include "ui/announce/announce_commands.h"
#include "ui/announce/announce_window.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/project/project_document.h"

using namespace larkspur;
using namespace larkspur::ui;
using test::EndpointAnswer;

class TestAnnounceWindow : public test::ProgramTest {
  Q_OBJECT

 private:
  std::unique_ptr<test::FakeSite> site_;

  CommandHost* frame() const { return app().host(); }
  AnnounceWindow* window() const { return test::installed<AnnounceCommands>(app())->announceWindow(); }

  // The program on a project of `url`, the site serving robots.txt and a
  // sitemap of two of its pages and one of another host.
  void startWith(const std::string& url) {
    site_ = std::make_unique<test::FakeSite>();
    site_->files["/"] = "home";
    site_->files["/robots.txt"] = "User-agent: *\nDisallow:\nSitemap: https://www.example.com/s.xml\n";
    site_->files["/s.xml"] = test::urlset({{"https://www.example.com/", "2024-05-01"},
                                           {"https://www.example.com/a", ""}, {"https://other.example.org/", ""}});
    QVERIFY(site_->start());
    QVERIFY(core::setServiceBase(site_->base()));
    QVERIFY(program_->start(url));
  }

  // Opens the window through the toolbar button and publishes the key.
  void openAndPublish() {
    for (QAction* button : frame()->widget()->findChild<QToolBar*>()->actions()) {
      if (button->data().toInt() == kIdAnnounceIndexNow) button->trigger();
    }
    QVERIFY(window() && window()->isVisible());
    const std::string key = app().project().announce.key;
    site_->setFile("/" + key + ".txt", key);
  }

  void runAndWait(QPushButton* button) {
    QSignalSpy finished(window(), &AnnounceWindow::finished);
    button->click();
    QVERIFY(window()->running());
    QVERIFY(finished.wait(20000));
  }

 private slots:
  void initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    qputenv("no_proxy", "*");
  }

  void init() { program_ = std::make_unique<test::ProgramFixture>(); }

  void cleanup() {
    test::closeQuietly(program_->app);
    site_.reset();
    core::setServiceBase("");
    program_.reset();
  }

  void checksAnnouncesAndRecordsInTheProject() {
    startWith("no address");
    // Without a host there is nothing to announce, and no key to make.
    QVERIFY(frame()->runCommand(kIdAnnounceIndexNow));
    QCOMPARE(boxes().texts().size(), 1);
    QVERIFY2(boxes().texts()[0].contains(QStringLiteral("'no address' is not an http(s) URL with a host")),
             qPrintable(boxes().texts()[0]));
    QVERIFY(!window());

    core::copyText(app().project().profile.url, "https://www.example.com/");
    app().project().profileChanged();
    app().doc()->setModified(false);
    QVERIFY(frame()->runCommand(kIdAnnounceIndexNow));
    QVERIFY(window() && window()->isVisible() && !window()->isModal());
    // The key is made at once; the project keeps it once the user takes it
    // to publish it (or a run uses it).
    const std::string key = app().project().announce.key;
    QCOMPARE(key.size(), size_t{32});
    QVERIFY(!app().doc()->isModified());
    window()->keyFileContent()->selectAll();  // as the focus does
    QVERIFY(!app().doc()->isModified());
    QTest::keySequence(window()->keyFileContent(), QKeySequence::Copy);
    QVERIFY(app().doc()->isModified());
    QCOMPARE(window()->keyFileUrl()->text(), QString::fromStdString("https://www.example.com/" + key + ".txt"));
    QCOMPARE(window()->keyFileContent()->text(), QString::fromStdString(key));

    struct Step {
      const char* name;
      bool publish;
      QPushButton* button;
      bool changedOnly;
      const char* endpoint;
      std::vector<EndpointAnswer> answers;
      const char* status;      // the start of the conclusion
      const char* error;       // in an error line of the check; none when empty
      std::size_t requests;    // at the endpoint so far
      int answersShown;       // = the project's log
      const char* lastCode;
    } steps[] = {
        {"key not published", false, window()->checkButton(), false, "IndexNow", {}, "Not ready: nothing was announced",
         "is not there", 0, 0, ""},
        {"check", true, window()->checkButton(), false, "IndexNow", {}, "Ready: engines can be told about 2 URLs", "", 0, 0,
         ""},
        {"announce", true, window()->announceButton(), false, "IndexNow", {}, "2 URLs announced to IndexNow", "", 1, 1,
         "200"},
        {"changed only", true, window()->announceButton(), true, "IndexNow", {},
         "Nothing changed since the last announcement", "", 1, 1, "200"},
        {"refused", true, window()->announceButton(), false, "Bing", {{403, ""}},
         "Bing did not take URLs 1 to 2: Forbidden", "", 2, 2, "403"},
    };
    for (const Step& s : steps) {
      if (s.publish) site_->setFile("/" + key + ".txt", key + "\n");
      (s.changedOnly ? window()->changedOnlyChoice() : window()->allChoice())->setChecked(true);
      window()->endpointChoice()->setCurrentText(QString::fromLatin1(s.endpoint));
      site_->queue(s.answers);
      runAndWait(s.button);
      QVERIFY2(window()->status()->text().startsWith(QString::fromLatin1(s.status)),
               qPrintable(QStringLiteral("%1: %2").arg(s.name, window()->status()->text())));
      QString errors;
      for (int i = 0; i < window()->checks()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* line = window()->checks()->topLevelItem(i);
        if (line->data(0, Qt::UserRole).toString() == QLatin1String("error")) errors += line->text(0);
      }
      QVERIFY2(*s.error ? errors.contains(QString::fromLatin1(s.error)) : errors.isEmpty(), qPrintable(errors));
      QCOMPARE(window()->urlCount()->text(), QStringLiteral("URLs found: 2"));
      QCOMPARE(site_->received().size(), s.requests);
      QCOMPARE(window()->answers()->topLevelItemCount(), s.answersShown);
      QCOMPARE(static_cast<int>(app().project().announce.log.size()), s.answersShown);
      if (s.answersShown > 0) {
        QTreeWidgetItem* last = window()->answers()->topLevelItem(s.answersShown - 1);
        QCOMPARE(last->text(3), QString::fromLatin1(s.lastCode));
      }
    }
    QCOMPARE(window()->progressBar()->value(), 2);
    QCOMPARE(window()->progressBar()->maximum(), 2);
    for (const test::ReceivedRequest& r : site_->received()) QCOMPARE(r.key, key);

    // An endpoint that is not https is refused before anything starts.
    window()->endpointChoice()->setCurrentText(QStringLiteral("http://engine.example/"));
    window()->announceButton()->click();
    QVERIFY(!window()->running());
    QVERIFY2(boxes().texts().last().contains(QStringLiteral("https")), qPrintable(boxes().texts().last()));

    // What the window recorded is saved with the project.
    QVERIFY(app().doc()->isModified());
    QVERIFY(app().doc()->save());
    core::Project saved;
    QVERIFY(saved.open(projectPath().toStdString()).ok());
    QCOMPARE(saved.announce.log.size(), size_t{2});
    QCOMPARE(saved.announce.announced.size(), size_t{2});
    QCOMPARE(saved.announce.key, key);
  }

  void failedChecksShowAtTheTopAndTheKeyFileIsCopiedOrSaved() {
    startWith("https://www.example.com/");
    QVERIFY(frame()->runCommand(kIdAnnounceIndexNow));
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    const std::string key = app().project().announce.key;
    const QString keyUrl = QString::fromStdString("https://www.example.com/" + key + ".txt");
    QVERIFY(window()->problems()->isHidden());
    window()->copyUrlButton()->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), keyUrl);

    // The key file is not published: the top of the window says so in full,
    // with what to do, and the list keeps that line in sight.
    runAndWait(window()->announceButton());
    QLabel* problems = window()->problems();
    QVERIFY2(problems->text().contains(QStringLiteral("The key file %1 is not there (HTTP 404): publish a text file "
                                                      "there holding %2. \"Save key file...\" above writes that file "
                                                      "for you to put there.")
                                           .arg(keyUrl, QString::fromStdString(key))),
             qPrintable(problems->text()));
    const int keyTop = window()->keyFileUrl()->mapTo(window(), QPoint()).y();
    QVERIFY(problems->isVisible() && problems->geometry().bottom() < keyTop);
    QVERIFY(problems->height() >= problems->heightForWidth(problems->width()));  // not cut
    QTreeWidget* checks = window()->checks();
    QTreeWidgetItem* failed = checks->findItems(QStringLiteral("the key file"), Qt::MatchStartsWith).value(0);
    QVERIFY(failed && checks->viewport()->rect().contains(checks->visualItemRect(failed).topLeft()));

    // Saved in the project's folder, holding the key alone; once it is
    // published the check passes and the top is clear again.
    test::FileDialogAnswers dialogs;
    dialogs.queue(program_->path(QStringLiteral("key.txt")));
    window()->saveKeyButton()->click();
    QCOMPARE(dialogs.requests().at(0).proposedPath, program_->path(QString::fromStdString(key + ".txt")));
    QFile file(program_->path(QStringLiteral("key.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QCOMPARE(content, QByteArray::fromStdString(key));
    window()->copyKeyButton()->click();
    QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(), content);
    site_->setFile("/" + key + ".txt", content.toStdString());
    runAndWait(window()->checkButton());
    QVERIFY(window()->problems()->isHidden());
  }

  void stopEndsARunThatWaits_data() {
    QTest::addColumn<bool>("byClosing");
    QTest::newRow("Stop") << false;
    QTest::newRow("closing the window") << true;
  }

  void stopEndsARunThatWaits() {
    QFETCH(bool, byClosing);
    startWith("https://www.example.com/");
    openAndPublish();
    // The endpoint asks for two minutes' patience.
    site_->queue({{429, "120"}});
    QSignalSpy finished(window(), &AnnounceWindow::finished);
    window()->announceButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(window()->status()->text().contains(QStringLiteral("waiting 120 seconds")), 20000);
    QVERIFY(window()->stopButton()->isEnabled());
    QElapsedTimer clock;
    clock.start();
    if (byClosing) {
      window()->close();
      QVERIFY(!window()->isVisible());
    } else {
      window()->stopButton()->click();
    }
    QVERIFY(finished.wait(5000));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(finished.first().first().toInt(), static_cast<int>(announce::Outcome::Stopped));
    QCOMPARE(window()->status()->text(), QStringLiteral("Stopped"));
    QVERIFY(window()->announceButton()->isEnabled());
    QCOMPARE(site_->received().size(), size_t{1});
    QVERIFY(app().project().announce.log.empty());
  }
};

QTEST_MAIN(TestAnnounceWindow)
#include "test_announce_window.moc"
