// The browser pane: pages open as tabs whose captions follow the address,
// the tab popup closes the tab clicked, the toolbar drives the selected page,
// only the selected page moves the page-load bar, a target's page fills its
// form on every load (an unhealthy target's once the user says so), new
// windows open as tabs, a page's alerts and confirmations are message boxes,
// and pages let go of their records before the Engine table is rebuilt.

#include <QMenu>
#include <QSplitter>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QWebEngineScript>
#include <QtTest>
#include <memory>

#include "core/fixed_text.h"
#include "core/project.h"
#include "core/service_hosts.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/local_server.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/web_engine_test_main.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/command_host.h"
#include "ui/browser/browser_page.h"
#include "ui/browser/browser_pane.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"
#include "ui/submit/submission_windows.h"
#include "webengine/session_page.h"
#include "webengine/web_engine_browser.h"

using namespace larkspur;
using namespace larkspur::ui;

namespace {

constexpr int kLoadWaitMs = 15000;
constexpr const char* kUrl = "http://www.example-garden.com/";

// The value of a page's form field, read from the live page.
QString fieldValue(BrowserPage* view, const QString& name) {
  QString value;
  bool done = false;
  view->page()->runJavaScript(
      QStringLiteral("(function(){var e=document.getElementsByName('%1')[0];return e?e.value:'(none)';})()").arg(name),
      QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
        value = v.toString();
        done = true;
      });
  if (!QTest::qWaitFor([&] { return done; }, kLoadWaitMs)) return QStringLiteral("(no answer)");
  return value;
}

bool runScript(BrowserPage* view, const QString& script) {
  bool done = false;
  view->page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant&) { done = true; });
  return QTest::qWaitFor([&] { return done; }, kLoadWaitMs);
}

bool loaded(BrowserPage* view) { return view && !view->page()->isLoading() && !view->url().isEmpty(); }

}  // namespace

class TestBrowserPane : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::LocalServer> server_;
  std::unique_ptr<farm::TargetFarm> farm_;
  core::Project project_;
  core::Coordination coordination_;
  std::unique_ptr<BrowserPane> pane_;

  QString url(const char* path) const { return QString::fromStdString(server_->url(path)); }

  BrowserPage* openAndWait(const QString& address) {
    BrowserPage* view = pane_->openPage(address);
    if (!QTest::qWaitFor([view] { return loaded(view); }, kLoadWaitMs)) return nullptr;
    return view;
  }

 private slots:
  void initTestCase() {
    server_ = std::make_unique<test::LocalServer>();
    // Chromium keeps several connections open per page: give each a thread,
    // or later requests wait for a kept-alive connection to time out.
    server_->server().new_task_queue = [] { return new httplib::ThreadPool(32); };
    for (const char* path : {"/a", "/b", "/c"}) {
      const std::string body = std::string("<html><head><title>Page ") + path + "</title></head><body><p>" + path +
                               "</p><a id='next' href='/b'>next</a> <a id='away' href='/c' target='_blank'>away</a>" +
                               "</body></html>";
      server_->get(path, [body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "text/html; charset=utf-8");
      });
    }
    server_->get("/dialogs", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><head><title>Dialogs</title></head><body><script>\n"
                      "alert('hello'); var sure = confirm('sure?'); document.title = 'Dialogs ' + sure;\n"
                      "</script></body></html>",
                      "text/html; charset=utf-8");
    });
    QVERIFY(server_->start());
    farm_ = std::make_unique<farm::TargetFarm>();
    QVERIFY(farm_->start());
    project_.newProject();
    core::copyText(project_.profile.url, kUrl);
    core::copyText(project_.profile.title, "Garden Tools");
    core::copyText(project_.profile.email, "info@example-garden.com");
    project_.profileChanged();
  }

  void cleanupTestCase() {
    farm_.reset();
    server_.reset();
  }

  void init() {
    pane_ = std::make_unique<BrowserPane>(project_, coordination_);
    pane_->resize(800, 600);
    pane_->show();
    farm_->clearReceived();
  }

  void cleanup() { pane_.reset(); }

  void pagesOpenAsTabsWithTheAddressAsCaption() {
    QCOMPARE(pane_->pageCount(), 0);
    BrowserPage* first = openAndWait(url("/a"));
    QVERIFY(first);
    QCOMPARE(pane_->tabs()->tabText(0), url("/a"));
    QCOMPARE(pane_->pageAddress(0), url("/a"));
    // The same address again is another tab, selected.
    BrowserPage* second = openAndWait(url("/a"));
    QVERIFY(second && second != first);
    QCOMPARE(pane_->pageCount(), 2);
    QCOMPARE(pane_->selectedPage(), second);
    // The caption follows the page wherever it goes.
    QVERIFY(runScript(second, QStringLiteral("document.getElementById('next').click()")));
    QTRY_COMPARE_WITH_TIMEOUT(pane_->tabs()->tabText(1), url("/b"), kLoadWaitMs);
    QCOMPARE(pane_->tabs()->tabText(0), url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(pane_->tabs()->tabToolTip(1), QStringLiteral("Page /b"), kLoadWaitMs);
  }

  void popupCloseClosesTheTabClickedNotTheSelectedOne() {
    BrowserPage* a = openAndWait(url("/a"));
    BrowserPage* b = openAndWait(url("/b"));
    BrowserPage* c = openAndWait(url("/c"));
    QVERIFY(a && b && c);
    pane_->selectPage(2);
    QTabBar* bar = pane_->tabs()->tabBar();
    std::unique_ptr<QMenu> menu(pane_->tabMenu(bar->tabRect(0).center()));
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions()[0]->text(), QStringLiteral("Close"));
    QCOMPARE(menu->actions()[0]->data().toInt(), kIdCloseTab);
    menu->actions()[0]->trigger();
    QCOMPARE(pane_->pageCount(), 2);
    QCOMPARE(pane_->page(0), b);
    QCOMPARE(pane_->selectedPage(), c);
    // Beside the tabs there is no popup.
    QVERIFY(!pane_->tabMenu(QPoint(bar->width() + 50, 5)));
  }

  void newWindowsOpenAsNewSelectedTabs() {
    BrowserPage* page = openAndWait(url("/a"));
    QVERIFY(page);
    QVERIFY(runScript(page, QStringLiteral("document.getElementById('away').click()")));
    QTRY_COMPARE_WITH_TIMEOUT(pane_->pageCount(), 2, kLoadWaitMs);
    QCOMPARE(pane_->tabs()->currentIndex(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(pane_->tabs()->tabText(1), url("/c"), kLoadWaitMs);
    QCOMPARE(pane_->pageAddress(0), url("/a"));
  }

  void pagesAskThroughTheMessageBoxes() {
    test::MessageBoxRecorder boxes;
    boxes.queueAnswer(QMessageBox::Ok);      // the alert
    boxes.queueAnswer(QMessageBox::Cancel);  // the confirmation
    BrowserPage* page = openAndWait(url("/dialogs"));
    QVERIFY(page);
    QTRY_COMPARE_WITH_TIMEOUT(page->title(), QStringLiteral("Dialogs false"), kLoadWaitMs);
    QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("hello"), QStringLiteral("sure?")}));
  }

  void targetPageFillsItsFormOnEveryLoadAndSendsNothing() {
    farm::FarmTarget target = *farm_->target("first-button");
    pane_->openTarget(target.record, false);
    BrowserPage* page = pane_->selectedPage();
    QVERIFY(page);
    QCOMPARE(page->record(), &target.record);
    QCOMPARE(pane_->pageAddress(0), QString::fromStdString(farm_->baseUrl() + "/first-button/"));
    QTRY_COMPARE_WITH_TIMEOUT(fieldValue(page, QStringLiteral("url")), QString::fromLatin1(kUrl), kLoadWaitMs);
    QCOMPARE(fieldValue(page, QStringLiteral("email")), QStringLiteral("info@example-garden.com"));
    QCOMPARE(std::string(target.record.message.view()), std::string("Post data."));
    // Filled again after a reload; never sent by itself.
    QVERIFY(runScript(page, QStringLiteral("document.getElementsByName('url')[0].value='changed'")));
    QCOMPARE(fieldValue(page, QStringLiteral("url")), QStringLiteral("changed"));
    pane_->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(fieldValue(page, QStringLiteral("url")), QString::fromLatin1(kUrl), kLoadWaitMs);
    QTest::qWait(300);
    for (const farm::ReceivedRequest& r : farm_->received("first-button")) QCOMPARE(r.method, std::string("GET"));
    QCOMPARE(std::string(target.record.submit_state.view()), std::string());

    // A click reuses the selected page, a double click opens another.
    farm::FarmTarget other = *farm_->target("caption");
    pane_->openTarget(other.record, false);
    QCOMPARE(pane_->pageCount(), 1);
    QCOMPARE(page->record(), &other.record);
    pane_->openTarget(target.record, true);
    QCOMPARE(pane_->pageCount(), 2);
    QCOMPARE(pane_->selectedPage()->record(), &target.record);
    // An address from another list is no target: nothing is filled there.
    pane_->openUrl(url("/a"), false);
    QCOMPARE(pane_->selectedPage()->record(), nullptr);
  }

  void unhealthyTargetIsFilledOnlyOnceTheUserSaysSo() {
    test::MessageBoxRecorder boxes;
    farm::FarmTarget target = *farm_->target("first-button");
    target.record.health = "parked";
    boxes.queueAnswer(QMessageBox::No);  // the page is shown unfilled
    pane_->openTarget(target.record, false);
    QCOMPARE(boxes.texts().size(), 1);
    BrowserPage* page = pane_->selectedPage();
    QVERIFY(page && !page->record());
    QCOMPARE(pane_->pageAddress(0), QString::fromStdString(farm_->baseUrl() + "/first-button/"));
    QTRY_VERIFY_WITH_TIMEOUT(loaded(page), kLoadWaitMs);
    QTest::qWait(300);
    QCOMPARE(fieldValue(page, QStringLiteral("email")), QString());
    boxes.queueAnswer(QMessageBox::Yes);  // filled as any target
    pane_->openTarget(target.record, false);
    QCOMPARE(page->record(), &target.record);
    QTRY_COMPARE_WITH_TIMEOUT(fieldValue(page, QStringLiteral("email")), QStringLiteral("info@example-garden.com"),
                              kLoadWaitMs);
  }

  void toolbarAndProgressInTheMainWindow() {
    test::ProgramFixture program;
    const QString path = program.writeProject(QStringLiteral("site.lkr"), kUrl);
    LarkspurApplication app;
    QVERIFY(test::startOn(app, path));
    CommandHost& frame = *app.host();
    BrowserPane* pane = installSubmissionWindows(frame, *app.doc(), coordination_);
    QCOMPARE(frame.rightPane(), pane);
    QCOMPARE(frame.targetOpener(), pane);
    // Put in before the window was first shown, the pane still gets its width.
    frame.widget()->resize(1000, 700);
    frame.widget()->show();
    const QSplitter* splitter = frame.widget()->findChild<QSplitter*>(QStringLiteral("splitter"));
    QTRY_VERIFY_WITH_TIMEOUT(splitter->sizes().value(1) >= 200, 5000);
    frame.updateCommandUi();
    // With no tab every browser button is off; CLOSE does nothing.
    for (int id : {kIdBrowserBack, kIdBrowserForward, kIdBrowserStop, kIdBrowserRefresh, kIdCloseBrowserPage}) {
      QVERIFY2(!frame.commandEnabled(id), QByteArray::number(id));
    }
    QVERIFY(!frame.runCommand(kIdCloseBrowserPage));

    QProgressBar* bar = frame.pageLoadProgressBar();
    BrowserPage* first = pane->openPage(url("/a"));
    QTRY_VERIFY_WITH_TIMEOUT(loaded(first), kLoadWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 100, kLoadWaitMs);
    QVERIFY(frame.commandEnabled(kIdBrowserStop));
    QVERIFY(frame.commandEnabled(kIdBrowserRefresh));
    QVERIFY(frame.commandEnabled(kIdCloseBrowserPage));
    QVERIFY(!frame.commandEnabled(kIdBrowserBack));
    // (A navigation the user asks for: Chromium skips entries that a page's
    // script added without a user's gesture when going back.)
    first->navigateTo(url("/b"));
    QTRY_VERIFY_WITH_TIMEOUT(loaded(first) && first->url() == QUrl(url("/b")), kLoadWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(frame.commandEnabled(kIdBrowserBack), kLoadWaitMs);
    QVERIFY(frame.runCommand(kIdBrowserBack));
    QTRY_COMPARE_WITH_TIMEOUT(first->address(), url("/a"), kLoadWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(loaded(first) && first->url() == QUrl(url("/a")), kLoadWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(frame.commandEnabled(kIdBrowserForward), kLoadWaitMs);
    QVERIFY(frame.runCommand(kIdBrowserForward));
    QTRY_COMPARE_WITH_TIMEOUT(first->address(), url("/b"), kLoadWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(loaded(first) && first->url() == QUrl(url("/b")), kLoadWaitMs);

    // A page that is not the selected one leaves the bar alone.
    BrowserPage* second = pane->openPage(url("/c"));
    QTRY_VERIFY_WITH_TIMEOUT(loaded(second), kLoadWaitMs);
    frame.pageLoadStarted();
    QCOMPARE(bar->value(), 0);
    first->navigateTo(url("/a"));
    QTRY_VERIFY_WITH_TIMEOUT(first->address() == url("/a") && loaded(first), kLoadWaitMs);
    QTest::qWait(100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(frame.runCommand(kIdBrowserRefresh));
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 100, kLoadWaitMs);

    QVERIFY(frame.runCommand(kIdCloseBrowserPage));
    QCOMPARE(pane->pageCount(), 1);
    QCOMPARE(pane->selectedPage(), first);
  }

  void pagesLetGoOfTheirRecordsBeforeTheTableIsRebuilt() {
    test::ProgramFixture program;
    const QString path = program.writeProject(QStringLiteral("site.lkr"), kUrl);
    const QString other = program.writeProject(QStringLiteral("other.lkr"), "http://www.example-other.com/");
    LarkspurApplication app;
    QVERIFY(test::startOn(app, path));
    BrowserPane* pane = installSubmissionWindows(*app.host(), *app.doc(), coordination_);
    // The engine list opens its targets in the pane; the pages go to the
    // local server instead of the targets' sites.
    QVERIFY(core::setServiceBase(server_->baseUrl()));
    EngineListView* list = app.host()->itemView()->engineView();
    list->stepDown();
    core::setServiceBase("");
    QCOMPARE(pane->pageCount(), 1);
    QCOMPARE(pane->selectedPage()->record(), app.project().engines.at(0));
    QVERIFY(pane->pageAddress(0).startsWith(QString::fromStdString(server_->baseUrl())));
    QVERIFY(app.doc()->openDocumentFile(other));
    QCOMPARE(pane->pageCount(), 1);  // the pane keeps its tabs
    QCOMPARE(pane->selectedPage()->record(), nullptr);
    app.doc()->setModified(false);
  }
};

LARKSPUR_WEBENGINE_TEST_MAIN(TestBrowserPane)

#include "test_browser_pane.moc"
