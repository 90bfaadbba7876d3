// The "Link Popularity" commands in the main window, against a local search
// and toolbar service: rows appear while the search runs, the status bar
// ends with what the job did after completion and after Stop, Get Page Rank
// announces only changed ranks, the links report is written and opened (or
// its folder); the status pane counts the list in view after every change;
// and the work-area tabs with the Edit menu on each.

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "core/coordination.h"
#include "core/fixed_text.h"
#include "core/link_list.h"
#include "core/service_hosts.h"
#include "reports/report_time.h"
#include "tests/support/fake_services.h"
#include "tests/support/local_server.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/links/link_popularity_commands.h"
#include "ui/links/progress_animation.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/lists/ppc_list_view.h"
#include "ui/project/profile_dialog.h"
#include "ui/project/project_document.h"

using namespace larkspur;
using namespace larkspur::ui;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(larkspur::core::MessageId)

namespace {

constexpr char kSite[] = "http://www.mysite.example/";

core::LinkRecord makeLink(const std::string& url, int32_t rank) {
  core::LinkRecord r = core::zeroLinkRecord();
  r.url = url;
  r.page_rank = rank;
  return r;
}

// Google, Yahoo and the toolbar on one local server. Google's first result
// page brings two links; its second page is held back until released (or
// until the stop signal is set), so a test can look at the window while the
// search runs. The toolbar gives each address the rank set for it, else 5.
class FakeSearchService {
 public:
  FakeSearchService() {
    server_.get("/search", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("client")) {
        std::string address = req.get_param_value("q");
        if (address.rfind("info:", 0) == 0) address.erase(0, 5);
        const auto rank = ranks_.find(address);
        res.set_content("Rank_1:1:" + std::to_string(rank == ranks_.end() ? 5 : rank->second), "text/plain");
        return;
      }
      const int start = std::stoi(req.get_param_value("start"));
      std::string anchors;
      if (start == 0) {
        anchors = "<a href='http://linker-one.example/'>Linker One</a>"
                  "<a href='http://linker-two.example/'>Linker Two</a>";
      } else if (start == 100 && hold()) {
        anchors = "<a href='http://linker-three.example/'>Linker Three</a>";
      }
      res.set_content(page("<a href='http://www.google.com/advanced_search'>Advanced</a>" + anchors), "text/html");
    });
    server_.get("/advsearch", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("<a href='http://search.yahoo.com/'>Yahoo! Search</a>"), "text/html");
    });
    // A page of the link list that links to the site (held until released).
    server_.get("/linking", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string("<a href='") + kSite + "'>my site</a>", "text/html");
    });
    server_.get("/linking-held", [this](const httplib::Request&, httplib::Response& res) {
      hold();
      res.set_content(std::string("<a href='") + kSite + "'>my site</a>", "text/html");
    });
  }
  ~FakeSearchService() { release(); }

  void setRank(const std::string& address, int rank) { ranks_[address] = rank; }
  bool start() { return server_.start() && core::setServiceBase(server_.baseUrl()); }
  std::string url(const std::string& path) const { return server_.url(path); }
  bool holding() {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
  }
  void release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
  }
  // Wakes the held page so that it sees the stop signal.
  void poke() { changed_.notify_all(); }

 private:
  // Holds a request until released (true) or until the server or the job stops.
  bool hold() {
    std::unique_lock<std::mutex> lock(mutex_);
    held_ = true;
    changed_.wait_for(lock, 20s, [this] {
      return released_ || server_.stopping() || core::processCoordination().stop.isSet();
    });
    held_ = false;
    return released_;
  }

  static std::string page(const std::string& anchors) {
    // Every result page carries the engine's own links.
    return "<html><head><title>results</title></head><body>" + anchors + "</body></html>";
  }

  test::LocalServer server_;
  std::map<std::string, int> ranks_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool released_ = false;
};

using larkspur::test::UrlRecorder;

}  // namespace

class TestLinkPopularityCommands : public test::ProgramTest {
  Q_OBJECT

 private:
  std::unique_ptr<test::FileDialogAnswers> dialogs_;

  CommandHost* frame() const { return app().host(); }
  LinkListView* linkView() const { return frame()->itemView()->linkView(); }
  LinkPopularityCommands* jobs() const { return test::installed<LinkPopularityCommands>(app()); }
  core::LinkList& links() { return app().project().links; }
  QStringList shownUrls() const {
    QStringList urls;
    for (int r = 0; r < linkView()->rowCount(); ++r) urls << linkView()->topLevelItem(r)->text(0);
    return urls;
  }

  void startWith(const std::string& url, std::function<void(core::Project&)> change = {}) {
    QVERIFY(program_->start(url, "", std::move(change)));
    // Short ticks: the end is decided by the worker count, not by the time.
    jobs()->options().searchTimerMs = 5;
    jobs()->options().checkTimerMs = 5;
    jobs()->options().updateTimerMs = 5;
    jobs()->options().search.stopPoll = 10ms;
  }

 private slots:
  void initTestCase() {
    qRegisterMetaType<core::MessageId>();
    QApplication::setQuitOnLastWindowClosed(false);
    qputenv("no_proxy", "*");
  }

  void init() {
    program_ = std::make_unique<test::ProgramFixture>();
    dialogs_ = std::make_unique<test::FileDialogAnswers>();
    core::processCoordination().stop.reset();
  }

  void cleanup() {
    test::closeQuietly(program_->app);
    core::setServiceBase("");
    core::processCoordination().stop.reset();
    QCOMPARE(core::processCoordination().workers.value(), 0);
    dialogs_.reset();
    program_.reset();
  }

  void tabsAreRebuiltForEveryProject() {
    startWith(kSite, [](core::Project& p) { p.links.append(makeLink("http://old.example/", 2)); });
    QTabWidget* tabs = frame()->itemView()->tabs();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Search Engine Submit"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("PPC Manage"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Link To www.mysite.example"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(linkView()->rowCount(), 1);
    QCOMPARE(frame()->itemView()->ppcView()->rowCount(), 29);

    // Opened: a URL that does not parse has no host for the caption.
    tabs->setCurrentIndex(2);
    const QString other = program_->writeProject(QStringLiteral("other.lkr"), "no address");
    QVERIFY(app().doc()->openDocumentFile(other));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Link To My Website"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(linkView()->rowCount(), 0);

    // New: the PPC list is filled as for a loaded project.
    tabs->setCurrentIndex(1);
    app().doc()->setModified(false);
    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      QVERIFY(dialog);
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("https://new.example.org/"));
      dialog->okButton()->click();
    });
    QVERIFY(app().doc()->fileNew());
    QCOMPARE(tabs->tabText(2), QStringLiteral("Link To new.example.org"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(frame()->itemView()->ppcView()->rowCount(), 29);
  }

  void editCommandsFollowTheSelectedTab() {
    startWith(kSite, [](core::Project& p) {
      p.links.append(makeLink("http://one.example/", 1));
      p.links.append(makeLink("http://two.example/", 2));
    });
    QTabWidget* tabs = frame()->itemView()->tabs();
    auto enabled = [this](const std::vector<int>& ids) {
      QString states;
      frame()->updateCommandUi();
      for (int id : ids) states += frame()->commandEnabled(id) ? QLatin1Char('1') : QLatin1Char('0');
      return states;
    };
    const std::vector<int> ids = {kIdEditCut, kIdEditCopy, kIdEditFind, kIdSelectAll, kIdInvertSelection, kIdUp, kIdDown,
                      kIdFindNext, kIdImportLinks, kIdOutputLinks, kIdEditPaste};
    QCOMPARE(enabled(ids), QStringLiteral("00111110110"));
    tabs->setCurrentIndex(1);
    QCOMPARE(enabled(ids), QStringLiteral("01111110110"));
    tabs->setCurrentIndex(2);
    QCOMPARE(enabled(ids), QStringLiteral("11111110110"));
    // The status pane counts the list in view.
    QCOMPARE(frame()->statusTextPane()->text(), QStringLiteral("Total Link:   2 Select:   0"));

    QVERIFY(frame()->runCommand(kIdSelectAll));
    QCOMPARE(linkView()->selectedRowCount(), 2);
    QVERIFY(frame()->runCommand(kIdEditCopy));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://one.example/\r\nhttp://two.example/\r\n"));
    QVERIFY(frame()->runCommand(kIdDown));  // the first selected row gives way to the next
    QCOMPARE(linkView()->selectedRows(), std::vector<int>{1});

    tabs->setCurrentIndex(1);
    QVERIFY(frame()->runCommand(kIdUp));
    QCOMPARE(frame()->itemView()->ppcView()->selectedRows(), std::vector<int>{0});
    QVERIFY(frame()->runCommand(kIdEditCopy));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Google\r\n"));
    QVERIFY(!frame()->runCommand(kIdEditCut));

    // The file commands reach the link list from the engine list's tab.
    tabs->setCurrentIndex(0);
    const QString path = program_->path(QStringLiteral("more.txt"));
    test::writeFile(path.toStdString(), "see http://three.example/\n");
    app().doc()->setModified(false);
    dialogs_->queue(path);
    QVERIFY(frame()->runCommand(kIdImportLinks));
    QCOMPARE(linkView()->rowCount(), 3);
    QVERIFY(app().doc()->isModified());
    const QString out = program_->path(QStringLiteral("out.htm"));
    dialogs_->queue(out);
    QVERIFY(frame()->runCommand(kIdOutputLinks));
    QVERIFY(QFile::exists(out));
    // Cut deletes what it copied and marks the project modified.
    tabs->setCurrentIndex(2);
    app().doc()->setModified(false);
    linkView()->clearSelection();
    linkView()->topLevelItem(0)->setSelected(true);
    QVERIFY(frame()->runCommand(kIdEditCut));
    QCOMPARE(links().size(), std::size_t{2});
    QVERIFY(app().doc()->isModified());
  }

  void searchRowsAppearWhileItRunsAndItEndsWithSearchComplete() {
    FakeSearchService service;
    QVERIFY(service.start());
    startWith(kSite, [](core::Project& p) { p.links.append(makeLink("http://known.example/", 4)); });
    app().doc()->setModified(false);

    QVERIFY(frame()->runCommand(kIdSearchLinks));
    QVERIFY(!app().doc()->isModified());  // nothing found yet
    QVERIFY(jobs()->jobTimerActive(kSearchTimer));
    QVERIFY(!frame()->commandEnabled(kIdSearchLinks));  // one search at a time
    QCOMPARE(frame()->statusProgress()->maximum(), 0);  // busy: the search's total is not known
    // Google's first page is in the list while its second is still held.
    QTRY_COMPARE_WITH_TIMEOUT(shownUrls(), (QStringList{"http://known.example/", "http://linker-one.example/",
                                                        "http://linker-two.example/"}),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(service.holding(), 10000);
    QVERIFY(jobs()->searchRunning());
    QVERIFY(app().doc()->isModified());
    QTRY_VERIFY(frame()->statusMessage().startsWith(QStringLiteral("Searching ")));
    QTRY_VERIFY(frame()->statusMessage().endsWith(QStringLiteral(" 2 new links")));
    QCOMPARE(linkView()->topLevelItem(1)->text(LinkListView::kColumnRank), QStringLiteral("5"));
    QVERIFY(boxes().texts().isEmpty());

    // Deleting found links while the search still runs is safe.
    linkView()->clearSelection();
    linkView()->topLevelItem(1)->setSelected(true);
    linkView()->deleteSelected();
    QCOMPARE(links().size(), std::size_t{2});

    service.release();
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(), QStringLiteral("Search complete! 3 new links"), 20000);
    QVERIFY(boxes().texts().isEmpty());
    QVERIFY(!jobs()->jobTimerActive(kSearchTimer));
    QVERIFY(frame()->statusProgress()->isHidden());
    QCOMPARE(shownUrls(), (QStringList{"http://known.example/", "http://linker-two.example/",
                                       "http://linker-three.example/"}));
    QCOMPARE(links().size(), std::size_t{3});
    QTRY_VERIFY(frame()->commandEnabled(kIdSearchLinks));
  }

  void stopDuringASearchEndsOnlyTheSearchAnimationWithSearchCanceled() {
    FakeSearchService service;
    QVERIFY(service.start());
    startWith(kSite);
    core::Coordination& coordination = core::processCoordination();
    coordination.stop.set();  // left from an earlier job: the search clears it
    jobs()->startJobTimer(kUpdateTimer, 100000);  // another job's animation

    QVERIFY(frame()->runCommand(kIdSearchLinks));
    QVERIFY(!coordination.stop.isSet());
    QTRY_VERIFY_WITH_TIMEOUT(service.holding(), 10000);
    QVERIFY(frame()->runCommand(kIdStop));
    service.poke();
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(), QStringLiteral("Search canceled! 2 new links"), 20000);
    QVERIFY(!jobs()->jobTimerActive(kSearchTimer));
    QVERIFY(jobs()->jobTimerActive(kUpdateTimer));
    QCOMPARE(shownUrls(), (QStringList{"http://linker-one.example/", "http://linker-two.example/"}));
  }

  void getPageRankAnnouncesOnlyChangedRanks() {
    FakeSearchService service;
    service.setRank("http://same.example/", 6);
    service.setRank("http://differs.example/", 8);
    QVERIFY(service.start());
    startWith(kSite, [](core::Project& p) {
      p.links.append(makeLink("http://same.example/", 6));
      p.links.append(makeLink("http://differs.example/", 2));
      p.links.append(makeLink("http://same-too.example/", 5));
    });
    frame()->itemView()->tabs()->setCurrentIndex(2);
    linkView()->header()->setSortIndicator(LinkListView::kColumnUrl, Qt::AscendingOrder);
    QSignalSpy delivered(jobs(), &LinkPopularityCommands::messageDelivered);
    core::processCoordination().stop.set();  // a Stop before: the update still walks the whole list

    app().doc()->setModified(false);
    QVERIFY(frame()->runCommand(kIdGetPageRank));
    QVERIFY(jobs()->jobTimerActive(kUpdateTimer));
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(),
                              QStringLiteral("Update complete! 3 links looked up, 1 changed."), 20000);
    QVERIFY(app().doc()->isModified());  // a rank changed
    QTRY_VERIFY(!jobs()->updateRunning());
    QCoreApplication::processEvents();
    QCOMPARE(delivered.count(), 1);
    QCOMPARE(delivered.at(0).at(0).value<core::MessageId>(), core::MessageId::kRecordChanged);
    // Sorted: differs, same-too, same ("-" comes before ".").
    QCOMPARE(linkView()->topLevelItem(0)->text(0), QStringLiteral("http://differs.example/"));
    QCOMPARE(linkView()->topLevelItem(0)->text(LinkListView::kColumnRank), QStringLiteral("8"));
    QCOMPARE(linkView()->topLevelItem(1)->text(0), QStringLiteral("http://same-too.example/"));
    QCOMPARE(linkView()->topLevelItem(1)->text(LinkListView::kColumnRank), QStringLiteral("5"));
    QCOMPARE(linkView()->topLevelItem(2)->text(LinkListView::kColumnRank), QStringLiteral("6"));

    // Again: nothing changes, nothing is announced.
    app().doc()->setModified(false);
    QVERIFY(frame()->runCommand(kIdGetPageRank));
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(),
                              QStringLiteral("Update complete! 3 links looked up, 0 changed."), 20000);
    QTRY_VERIFY(!jobs()->updateRunning());
    QCoreApplication::processEvents();
    QCOMPARE(delivered.count(), 1);
    QVERIFY(!app().doc()->isModified());
  }

  void linksReportIsWrittenAndOpenedAndEndsWithCheckComplete() {
    FakeSearchService service;
    QVERIFY(service.start());
    const std::string linking = service.url("/linking");
    startWith(kSite, [&](core::Project& p) {
      p.links.append(makeLink(linking, 3));
      p.links.append(makeLink(service.url("/linking-held"), 3));
    });
    UrlRecorder opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");

    // Cancelled: nothing starts.
    QVERIFY(frame()->runCommand(kIdCreateLinksReport));
    QVERIFY(!jobs()->jobTimerActive(kCheckTimer));
    QCOMPARE(dialogs_->requests().size(), std::size_t{1});
    const FileDialogRequest& request = dialogs_->requests()[0];
    QCOMPARE(request.mode, FileDialogRequest::Mode::Save);
    QCOMPARE(request.filter, QStringLiteral("HTML (*.html)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("html"));
    QCOMPARE(request.proposedPath,
             QStringLiteral("www.mysite.example-") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                 QStringLiteral(".html"));

    const QString report = program_->path(QStringLiteral("report.html"));
    dialogs_->queue(report);
    QSignalSpy finished(jobs(), &LinkPopularityCommands::reportFinished);
    QVERIFY(frame()->runCommand(kIdCreateLinksReport));
    QVERIFY(jobs()->jobTimerActive(kCheckTimer));
    QTRY_VERIFY_WITH_TIMEOUT(service.holding(), 10000);
    QTRY_COMPARE(frame()->statusProgress()->text(), QStringLiteral("1 of 2"));
    QTRY_VERIFY(frame()->statusMessage().endsWith(QStringLiteral(" 1 of 2 links")));
    boxes().queueAnswer(QMessageBox::Open);  // it asks, naming the file
    service.release();
    const QString end = QStringLiteral("Check complete! 2 links checked. The links report is in ") + report;
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    QVERIFY2(boxes().texts().value(0).startsWith(end), qPrintable(boxes().texts().value(0)));
    QCOMPARE(frame()->statusMessage(), end);
    QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(report)});
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    QVERIFY(html.contains(QByteArray::fromStdString(linking)));
    QVERIFY(html.contains("OK"));

    // "Show Folder" opens the folder the report is in.
    dialogs_->queue(report);
    boxes().queueAnswer(QMessageBox::Apply);
    QVERIFY(frame()->runCommand(kIdCreateLinksReport));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 20000);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(opened.urls.value(1), QUrl::fromLocalFile(QFileInfo(report).absolutePath()));
  }

  void statusPaneCountsFollowEveryChangeOfTheListInView() {
    FakeSearchService service;
    QVERIFY(service.start());
    startWith(kSite, [](core::Project& p) { p.links.append(makeLink("http://one.example/", 1)); });
    const QString more = program_->path(QStringLiteral("more.txt"));
    test::writeFile(more.toStdString(), "http://two.example/\nhttp://three.example/\n");
    QTabWidget* tabs = frame()->itemView()->tabs();
    // Imported, selected without the mouse, deleted, found by a job while
    // another list is in view (its count stays), then in view.
    struct Change {
      int tab;  // the list in view meanwhile
      std::function<void()> make;
      const char* shown;
    } changes[] = {
        {2, [&] { dialogs_->queue(more); frame()->runCommand(kIdImportLinks); }, "Total Link:   3 Select:   0"},
        {2, [&] { linkView()->topLevelItem(0)->setSelected(true); }, "Total Link:   3 Select:   1"},
        {2, [&] { linkView()->deleteSelected(); }, "Total Link:   2 Select:   0"},
        {0, [&] { frame()->runCommand(kIdSearchLinks); QTRY_COMPARE(links().size(), std::size_t{4}); },
         "Total Link: 342 Select:   0"},
        {2, [] {}, "Total Link:   4 Select:   0"},
    };
    for (const Change& c : changes) {
      tabs->setCurrentIndex(c.tab);
      c.make();
      QTRY_COMPARE(frame()->statusTextPane()->text(), QString::fromLatin1(c.shown));
    }
    service.release();
    QTRY_VERIFY_WITH_TIMEOUT(!jobs()->searchRunning(), 20000);
  }

  void withTheirKeysTheSearchAsksBingWebmasterAndTheRanksOpenPageRank() {
    struct Unset {
      ~Unset() {
        qunsetenv("LARKSPUR_BING_WEBMASTER_KEY");
        qunsetenv("LARKSPUR_OPEN_PAGERANK_KEY");
      }
    } unset;
    test::FakeKeyServices services("bing-key-0123456789abcdef", "opr-key-0123456789abcdef");
    services.backlinks = {{kSite, {{"http://linker.example/", "Linker"}}}};
    services.ranks = {{"linker.example", 9}};
    QVERIFY(services.start());
    QVERIFY(core::setServiceBase(services.baseUrl()));
    qputenv("LARKSPUR_BING_WEBMASTER_KEY", "not-the-key-at-all");
    startWith(kSite);

    QVERIFY(frame()->runCommand(kIdSearchLinks));
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(),
                              QStringLiteral("Search complete! 0 new links The Bing Webmaster Tools key was refused."),
                              20000);
    qputenv("LARKSPUR_BING_WEBMASTER_KEY", "bing-key-0123456789abcdef");
    qputenv("LARKSPUR_OPEN_PAGERANK_KEY", "opr-key-0123456789abcdef");
    QTRY_VERIFY(frame()->commandEnabled(kIdSearchLinks));
    QVERIFY(frame()->runCommand(kIdSearchLinks));
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(), QStringLiteral("Search complete! 1 new link"), 20000);
    QCOMPARE(shownUrls(), QStringList{QStringLiteral("http://linker.example/")});

    QVERIFY(frame()->runCommand(kIdGetPageRank));
    QTRY_VERIFY_WITH_TIMEOUT(frame()->statusMessage().startsWith(QStringLiteral("Update complete!")), 20000);
    QTRY_VERIFY(!jobs()->updateRunning());
    QVERIFY(boxes().texts().isEmpty());
    QCOMPARE(links().at(0)->page_rank, 9);
    QCOMPARE(services.pageRankRequests.load(), 1);
  }

  void aCountBelowZeroEndsTheAnimation() {
    startWith(kSite);
    core::WorkerCount& workers = core::processCoordination().workers;
    workers.remove();  // a count set back to 0 under running workers ends below 0
    QCOMPARE(workers.value(), -1);
    jobs()->startJobTimer(kSearchTimer, 5);
    QTRY_COMPARE_WITH_TIMEOUT(frame()->statusMessage(), QStringLiteral("Search complete!"), 10000);
    QVERIFY(!jobs()->jobTimerActive(kSearchTimer));
    workers.add();
  }
};

QTEST_MAIN(TestLinkPopularityCommands)
#include "test_link_popularity_commands.moc"
