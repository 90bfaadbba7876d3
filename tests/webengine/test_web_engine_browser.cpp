// The Qt WebEngine engine: navigation codes, the snapshot against the HTTP
// engine's document model for the same bytes, actions carried out on the live
// page, titles without placeholders, navigation errors, frames, and what an
// automatic page never shows.

#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QElapsedTimer>
#include <QtTest>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "tests/support/local_server.h"
#include "tests/support/temp_dir.h"
#include "tests/webengine/web_engine_test_main.h"
#include "web/html_parser.h"
#include "web/navigation_codes.h"
#include "web/nesting_limit.h"
#include "webengine/page_scripts.h"
#include "webengine/session_page.h"
#include "webengine/web_engine_browser.h"
#include "webengine/web_engine_errors.h"

using namespace larkspur;
using namespace larkspur::webengine;

namespace {

constexpr int kLoadWaitMs = 15000;

std::string fixture(const std::string& name) {
  return test::readFile(std::string(LARKSPUR_FIXTURE_DIR) + "/pages/" + name);
}

// Blanks collapsed and trimmed: the two engines lay text out alike but not
// blank for blank.
std::string collapsed(const std::string& text) {
  std::string out;
  bool blank = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      blank = !out.empty();
    } else {
      if (blank) out += ' ';
      blank = false;
      out += c;
    }
  }
  return out;
}

// Records what the engine reports; a document handler may act on it.
class Recorder : public web::BrowserEvents {
 public:
  explicit Recorder(WebEngineBrowser& engine) : engine_(engine) {}

  void navigationStarting(const std::string& url) override { log.push_back("start " + url); }
  void documentComplete(web::Document& document) override {
    log.push_back("document " + document.url());
    if (onDocument) onDocument(document);
    documents.push_back(document);
    engine_.carryOut(document);
  }
  void titleChange(const std::string& title) override {
    log.push_back("title " + title);
    titles.push_back(title);
  }
  void navigationError(const std::string& url, const std::string&, uint32_t code, web::LoadScope) override {
    log.push_back("error " + url + " " + std::to_string(code));
    errors.push_back(code);
  }

  std::function<void(web::Document&)> onDocument;
  std::vector<std::string> log;
  std::vector<web::Document> documents;
  std::vector<std::string> titles;
  std::vector<uint32_t> errors;

 private:
  WebEngineBrowser& engine_;
};

int indexOf(const web::Document& doc, const std::string& tag, const std::string& name) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == tag && doc.at(i).name == name) return static_cast<int>(i);
  }
  return -1;
}

struct Received {
  std::string path;
  std::multimap<std::string, std::string> fields;
};

// The pages the tests load.
const char kFormPage[] =
    "<html><head><title>Add your site</title></head><body>\n"
    "<form action='/form/add' method='post'>\n"
    "URL: <input name='url' value='http://'> Note: <textarea name='note'></textarea>\n"
    "<select name='country'><option>Canada</option><option value='dk'>Denmark</option></select>\n"
    "<input type='file' name='logo'><input type='submit' name='go' value='Add'>\n"
    "</form></body></html>";

const char kFramesPage[] =
    "<html><head><title>Frames</title></head><frameset rows='40,*'>\n"
    "<frame name='top' src='/frames/top'><frame name='main' src='/frames/form'></frameset></html>";

const char kFrameFormPage[] =
    "<html><body><form action='/frames/add' method='get'>\n"
    "<input name='url'><input type='submit' value='Add'></form></body></html>";

const char kDialogsPage[] =
    "<html><head><title>Dialogs</title></head><body>\n"
    "<a id='away' href='/notitle' target='_blank'>away</a>\n"
    "<script>\n"
    "alert('hello'); var sure = confirm('sure?'); var name = prompt('name?', 'x');\n"
    "window.open('/notitle');\n"
    "document.getElementById('away').click();\n"
    "document.title = 'Dialogs ' + sure + ' ' + name;\n"
    "</script></body></html>";

}  // namespace

class TestWebEngineBrowser : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::LocalServer> server_;
  std::mutex mutex_;
  std::vector<Received> received_;
  std::unique_ptr<QWebEngineProfile> profile_;
  SessionPage* page_ = nullptr;
  std::unique_ptr<WebEngineBrowser> engine_;
  std::unique_ptr<Recorder> events_;

  std::string url(const std::string& path) const { return server_->url(path); }

  void serve(const std::string& path, const std::string& body, const std::string& type = "text/html; charset=utf-8",
             int status = 200) {
    server_->get(path, [body, type, status](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_content(body, type);
    });
  }

  void record(const httplib::Request& req) {
    Received r;
    r.path = req.path;
    for (const auto& [name, value] : req.params) r.fields.emplace(name, value);
    std::lock_guard<std::mutex> lock(mutex_);
    received_.push_back(std::move(r));
  }

  std::vector<Received> received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

  void makeEngine(bool automatic) {
    engine_.reset();
    events_.reset();
    delete page_;
    page_ = new SessionPage(profile_.get(), automatic);
    engine_ = std::make_unique<WebEngineBrowser>(page_);
    engine_->setShowWhenLoading(true);
    events_ = std::make_unique<Recorder>(*engine_);
    engine_->setEvents(events_.get());
  }

 private slots:
  void initTestCase() {
    server_ = std::make_unique<test::LocalServer>();
    // Chromium keeps several connections open per page: give each a thread,
    // or later requests wait for a kept-alive connection to time out.
    server_->server().new_task_queue = [] { return new httplib::ThreadPool(32); };
    const char* const pages[] = {"addurl_caption.html", "addurl_first_button.html", "addurl_image_input.html",
                                 "addurl_image_outside_form.html", "addurl_link.html", "answer_404.html",
                                 "answer_nested.html", "broken_table_form.html", "broken_unclosed.html",
                                 "two_submit_buttons.html", "url_after_button.html"};
    for (const char* name : pages) serve(std::string("/fixture/") + name, fixture(name));
    serve("/fixture/de_latin1_bellnet.html", fixture("de_latin1_bellnet.html"), "text/html");
    serve("/fixture/ru_cp1251_answer.html", fixture("ru_cp1251_answer.html"), "text/html; charset=windows-1251");

    serve("/form", kFormPage);
    server_->post("/form/add", [this](const httplib::Request& req, httplib::Response& res) {
      record(req);
      res.set_content("<html><head><title>Thank you</title></head><body><p>Added.</p></body></html>",
                      "text/html; charset=utf-8");
    });
    serve("/notitle", "<html><body><p>No title here</p></body></html>");
    {
      // 19,990 nested elements, each with a line of text: the snapshot must
      // stay in proportion to the page, not to the page times its depth.
      std::string deep = "<html><head><title>Deep</title></head><body>";
      for (int i = 0; i < 19990; ++i) deep += "<div>line " + std::to_string(i) + " of the deep page ";
      deep += "<p id=last>thank you</p></body></html>";
      serve("/deep", deep);
    }
    serve("/missing", "<html><head><title>Gone</title></head><body><h1>Not Found</h1></body></html>",
          "text/html; charset=utf-8", 404);
    serve("/frames", kFramesPage);
    serve("/frames/top", "<html><body><p>Banner</p></body></html>");
    serve("/frames/form", kFrameFormPage);
    server_->get("/frames/add", [this](const httplib::Request& req, httplib::Response& res) {
      record(req);
      res.set_content("<html><body><p>Thank you for the frame.</p></body></html>", "text/html; charset=utf-8");
    });
    serve("/dialogs", kDialogsPage);
    server_->get("/slow", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      res.set_content(kFormPage, "text/html; charset=utf-8");
    });
    QVERIFY(server_->start());
    profile_ = std::make_unique<QWebEngineProfile>(static_cast<QObject*>(nullptr));
  }

  void cleanupTestCase() {
    engine_.reset();
    events_.reset();
    delete page_;
    page_ = nullptr;
    profile_.reset();
    server_.reset();
  }

  void init() {
    makeEngine(true);
    std::lock_guard<std::mutex> lock(mutex_);
    received_.clear();
  }

  void loadFailuresMapToNavigationCodes() {
    struct Case {
      LoadErrorDomain domain;
      int code;
      uint32_t expected;
    };
    const Case cases[] = {
        {LoadErrorDomain::kHttpStatusCode, 404, 404},
        {LoadErrorDomain::kHttpStatusCode, 500, 500},
        {LoadErrorDomain::kHttpStatusCode, 200, 0},
        {LoadErrorDomain::kHttpStatusCode, 304, 0},
        {LoadErrorDomain::kNone, 0, 0},
        {LoadErrorDomain::kInternal, -3, 0},  // abandoned, not failed
        {LoadErrorDomain::kConnection, -102, web::kNavCannotConnect},
        {LoadErrorDomain::kConnection, -105, web::kNavResourceNotFound},
        {LoadErrorDomain::kDns, -137, web::kNavResourceNotFound},
        {LoadErrorDomain::kConnection, -118, web::kNavConnectionTimeout},
        {LoadErrorDomain::kConnection, -7, web::kNavConnectionTimeout},
        {LoadErrorDomain::kHttp, -312, web::kNavCannotConnect},
        {LoadErrorDomain::kHttp, -310, web::kNavRedirectFailed},
        {LoadErrorDomain::kHttp, -324, web::kNavDataNotAvailable},
        {LoadErrorDomain::kConnection, -101, web::kNavDownloadFailure},
        {LoadErrorDomain::kConnection, -107, web::kNavSecurityProblem},
        {LoadErrorDomain::kCertificate, -202, web::kNavSecurityProblem},
        {LoadErrorDomain::kHttp, -300, web::kNavInvalidUrl},
        {LoadErrorDomain::kHttp, -302, web::kNavUnknownProtocol},
        {LoadErrorDomain::kConnection, -999, web::kNavCannotLoadData},
    };
    for (const Case& c : cases) {
      QCOMPARE(navigationCodeForLoad(c.domain, c.code), c.expected);
    }
    QCOMPARE(navigationCodeForAddress("http://127.0.0.1:8080/add?x=1"), 0u);
    QCOMPARE(navigationCodeForAddress("https://example.org/"), 0u);
    QCOMPARE(navigationCodeForAddress("about:blank"), 0u);
    QCOMPARE(navigationCodeForAddress("http://"), web::kNavInvalidUrl);
    QCOMPARE(navigationCodeForAddress("www.example.org/add"), web::kNavInvalidUrl);
    QCOMPARE(navigationCodeForAddress(""), web::kNavInvalidUrl);
    QCOMPARE(navigationCodeForAddress("gopher://example.org/"), web::kNavUnknownProtocol);
    QCOMPARE(navigationCodeForAddress("javascript:alert(1)"), web::kNavUnknownProtocol);
  }

  void frameLoadLinesAreReadOnlyWithTheToken() {
    std::vector<int> path;
    QVERIFY(parseFrameLoad(QStringLiteral("tok:[1,0]"), QStringLiteral("tok:"), path));
    QCOMPARE(path, (std::vector<int>{1, 0}));
    QVERIFY(!parseFrameLoad(QStringLiteral("other:[1]"), QStringLiteral("tok:"), path));
    QVERIFY(!parseFrameLoad(QStringLiteral("tok:[-1]"), QStringLiteral("tok:"), path));
    QVERIFY(!parseFrameLoad(QStringLiteral("tok:{}"), QStringLiteral("tok:"), path));
    QVERIFY(!parseFrameLoad(QStringLiteral("[1]"), QString(), path));
  }

  void snapshotMatchesTheHttpEngineModel_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("contentType");
    const char* const utf8[] = {"addurl_caption.html", "addurl_first_button.html", "addurl_image_input.html",
                                "addurl_image_outside_form.html", "addurl_link.html", "answer_404.html",
                                "answer_nested.html", "broken_table_form.html", "broken_unclosed.html",
                                "two_submit_buttons.html", "url_after_button.html"};
    for (const char* name : utf8) QTest::newRow(name) << QString(name) << QStringLiteral("text/html; charset=utf-8");
    QTest::newRow("de_latin1_bellnet.html") << QStringLiteral("de_latin1_bellnet.html") << QStringLiteral("text/html");
    QTest::newRow("ru_cp1251_answer.html") << QStringLiteral("ru_cp1251_answer.html")
                                           << QStringLiteral("text/html; charset=windows-1251");
  }

  // Pages without scripts give the same elements in both engines: the walk
  // decides alike. (Pages that write markup from a script or rely on NOSCRIPT
  // legitimately differ: a browser runs the script.)
  void snapshotMatchesTheHttpEngineModel() {
    QFETCH(QString, name);
    QFETCH(QString, contentType);
    const std::string address = url("/fixture/" + name.toStdString());
    engine_->navigate(address);
    QTRY_VERIFY_WITH_TIMEOUT(!events_->documents.empty(), kLoadWaitMs);
    const web::Document& live = events_->documents.front();
    const web::Document parsed = web::parseHtml(fixture(name.toStdString()), address, contentType.toStdString());
    QCOMPARE(live.url(), address);
    QCOMPARE(live.title(), parsed.title());
    QCOMPARE(live.size(), parsed.size());
    for (std::size_t i = 0; i < parsed.size(); ++i) {
      const web::Element& a = live.at(i);
      const web::Element& b = parsed.at(i);
      const QByteArray where = QByteArray::number(static_cast<qulonglong>(i)) + " " + QByteArray::fromStdString(b.tag);
      QVERIFY2(a.tag == b.tag, where);
      QVERIFY2(a.name == b.name, where);
      QVERIFY2(a.type == b.type, where + " " + QByteArray::fromStdString(a.type));
      QVERIFY2(a.value == b.value, where + " " + QByteArray::fromStdString(a.value));
      QVERIFY2(a.src == b.src, where + " " + QByteArray::fromStdString(a.src));
      QVERIFY2(a.href == b.href, where + " " + QByteArray::fromStdString(a.href));
      QVERIFY2(a.parent == b.parent, where);
      QVERIFY2(a.attributes == b.attributes, where);
      QVERIFY2(a.options.size() == b.options.size(), where);
      for (std::size_t o = 0; o < b.options.size(); ++o) {
        QVERIFY2(a.options[o].text == b.options[o].text && a.options[o].value == b.options[o].value &&
                     a.options[o].selected == b.options[o].selected,
                 where);
      }
      const std::string live_text = live.textOf(i);
      const std::string parsed_text = parsed.textOf(i);
      QVERIFY2(collapsed(live_text) == collapsed(parsed_text),
               where + " [" + QByteArray::fromStdString(live_text) + "] [" + QByteArray::fromStdString(parsed_text) +
                   "]");
    }
  }

  void actionsFillSelectAndSendTheLivePage() {
    events_->onDocument = [](web::Document& doc) {
      if (doc.title() != "Add your site") return;
      doc.setValue(static_cast<std::size_t>(indexOf(doc, "INPUT", "url")), "http://www.larkspur.example/");
      doc.setValue(static_cast<std::size_t>(indexOf(doc, "TEXTAREA", "note")), "Gärten & Blumen");
      doc.selectOption(static_cast<std::size_t>(indexOf(doc, "SELECT", "country")), 1);
      // A file input refuses a value: the write is passed over, the rest goes on.
      doc.setValue(static_cast<std::size_t>(indexOf(doc, "INPUT", "logo")), "/etc/passwd");
      doc.click(static_cast<std::size_t>(indexOf(doc, "INPUT", "go")));
    };
    engine_->navigate(url("/form"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{2}, kLoadWaitMs);
    const std::vector<Received> got = received();
    QCOMPARE(got.size(), std::size_t{1});
    QCOMPARE(got[0].path, std::string("/form/add"));
    QCOMPARE(got[0].fields.find("url")->second, std::string("http://www.larkspur.example/"));
    QCOMPARE(got[0].fields.find("note")->second, std::string("Gärten & Blumen"));
    QCOMPARE(got[0].fields.find("country")->second, std::string("dk"));
    QCOMPARE(got[0].fields.find("go")->second, std::string("Add"));
    QCOMPARE(events_->documents[1].url(), url("/form/add"));
    // Each page's own title once, never the address shown before it.
    QCOMPARE(events_->titles, (std::vector<std::string>{"Add your site", "Thank you"}));
  }

  void actionsForAReplacedDocumentAreDropped() {
    // The walk's actions arrive after the page has gone on: they must not
    // land on the next page's elements.
    web::Document kept;
    events_->onDocument = [&kept](web::Document& doc) {
      if (doc.title() == "Add your site") kept = doc;
    };
    engine_->navigate(url("/form"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{1}, kLoadWaitMs);
    engine_->navigate(url("/form"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{2}, kLoadWaitMs);
    // A click recorded on the first snapshot, carried out now.
    events_->onDocument = {};
    web::PageAction click{web::PageAction::Kind::kClick, static_cast<std::size_t>(indexOf(kept, "INPUT", "go")), 0, {}};
    const QString script = actionsScript({}, QStringLiteral("stale:1"), kept, {click});
    bool done = false;
    QVariant result;
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
      result = v;
      done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, kLoadWaitMs);
    QCOMPARE(result.toInt(), -1);
    QTest::qWait(200);
    QVERIFY(received().empty());
  }

  void deepPageSnapshotStaysBounded() {
    QElapsedTimer clock;
    clock.start();
    engine_->navigate(url("/deep"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{1}, 60000);
    qInfo("deep page snapshot in %lld ms", static_cast<long long>(clock.elapsed()));
    const web::Document& live = events_->documents.front();
    QVERIFY(live.size() >= 19990 && live.size() <= web::kMaxMarkupNodes);
    QVERIFY(!live.cut());
    QCOMPARE(live.textOf(live.size() - 1), std::string("thank you"));
    // Every element's text is bounded, the outermost included.
    QVERIFY(live.textOf(0).size() <= web::Document::kTextLimit);
    QVERIFY(live.textOf(0).find("line 0 of the deep page") != std::string::npos);
  }

  void pageWithoutTitleReportsNoTitle() {
    engine_->navigate(url("/notitle"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{1}, kLoadWaitMs);
    QTest::qWait(100);
    QVERIFY(events_->titles.empty());
  }

  void httpErrorIsReportedAndItsPageStillArrives() {
    engine_->navigate(url("/missing"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{1}, kLoadWaitMs);
    QCOMPARE(events_->errors, std::vector<uint32_t>{404});
    QCOMPARE(events_->documents[0].title(), std::string("Gone"));
    // The error comes before the server's page, as the HTTP engine reports it.
    const auto error = std::find(events_->log.begin(), events_->log.end(), "error " + url("/missing") + " 404");
    const auto document = std::find(events_->log.begin(), events_->log.end(), "document " + url("/missing"));
    QVERIFY(error < document);
  }

  void failedLoadsBecomeNavigationErrors_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<uint>("code");
    QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%1/").arg(test::unusedLocalPort())
                             << static_cast<uint>(web::kNavCannotConnect);
    QTest::newRow("unknown scheme") << QStringLiteral("gopher://127.0.0.1/") << static_cast<uint>(web::kNavUnknownProtocol);
    QTest::newRow("not a url") << QStringLiteral("http://") << static_cast<uint>(web::kNavInvalidUrl);
  }

  void failedLoadsBecomeNavigationErrors() {
    QFETCH(QString, address);
    QFETCH(uint, code);
    engine_->navigate(address.toStdString());
    QTRY_COMPARE_WITH_TIMEOUT(events_->errors.size(), std::size_t{1}, kLoadWaitMs);
    QCOMPARE(events_->errors[0], static_cast<uint32_t>(code));
    QTest::qWait(200);
    QVERIFY(events_->documents.empty());
    QVERIFY(events_->titles.empty());
  }

  void framesComeFirstAndAFormSentInAFrameIsDelivered() {
    events_->onDocument = [](web::Document& doc) {
      const int input = indexOf(doc, "INPUT", "url");
      if (input < 0) return;
      doc.setValue(static_cast<std::size_t>(input), "http://www.larkspur.example/");
      for (std::size_t i = 0; i < doc.size(); ++i) {
        if (doc.at(i).type == "SUBMIT") doc.click(i);
      }
    };
    engine_->navigate(url("/frames"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{4}, kLoadWaitMs);
    QCOMPARE(events_->documents[0].url(), url("/frames/top"));
    QCOMPARE(events_->documents[1].url(), url("/frames/form"));
    QCOMPARE(events_->documents[2].url(), url("/frames"));
    QVERIFY(events_->documents[3].url().rfind(url("/frames/add"), 0) == 0);
    QCOMPARE(collapsed(events_->documents[3].textOf(0)), std::string("Thank you for the frame."));
    const std::vector<Received> got = received();
    QCOMPARE(got.size(), std::size_t{1});
    QCOMPARE(got[0].fields.find("url")->second, std::string("http://www.larkspur.example/"));
    QCOMPARE(events_->titles, std::vector<std::string>{"Frames"});
  }

  void automaticPagesShowNoDialogsAndOpenNoWindows() {
    QStringList asked;
    page_->setDialogHandler([&asked](SessionPage::Dialog, const QString&, const QString& text) {
      asked << text;
      return true;
    });
    engine_->navigate(url("/dialogs"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{1}, kLoadWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!events_->titles.empty() && events_->titles.back() == "Dialogs false null",
                             kLoadWaitMs);
    QVERIFY(asked.isEmpty());
    QTest::qWait(300);
    // Neither window.open nor a link into a new window loaded anything.
    QCOMPARE(events_->documents.size(), std::size_t{1});
  }

  void pagesOfThePaneAskTheirDialogHandler() {
    makeEngine(false);
    QStringList asked;
    std::vector<SessionPage::Dialog> dialogs;
    QString host;
    page_->setDialogHandler([&](SessionPage::Dialog dialog, const QString& from, const QString& text) {
      dialogs.push_back(dialog);
      asked << text;
      host = from;
      return false;  // the confirmation is cancelled
    });
    int windows = 0;
    page_->setNewWindowHandler([&windows]() -> QWebEnginePage* {
      ++windows;
      return nullptr;
    });
    engine_->navigate(url("/dialogs"));
    QTRY_VERIFY_WITH_TIMEOUT(!events_->titles.empty() && events_->titles.back().rfind("Dialogs false", 0) == 0,
                             kLoadWaitMs);
    QCOMPARE(asked, (QStringList{QStringLiteral("hello"), QStringLiteral("sure?")}));
    QCOMPARE(dialogs, (std::vector<SessionPage::Dialog>{SessionPage::Dialog::kAlert, SessionPage::Dialog::kConfirm}));
    QCOMPARE(host, QStringLiteral("127.0.0.1"));
    QTRY_COMPARE_WITH_TIMEOUT(windows, 2, kLoadWaitMs);
  }

  void aRendererPastItsMemoryIsGivenUpAsTooLarge() {
    // The page arrives late: the renderer is watched while it loads.
    engine_->setRendererMemoryLimit(1);
    engine_->navigate(url("/slow"));
    QTRY_COMPARE_WITH_TIMEOUT(events_->documents.size(), std::size_t{1}, kLoadWaitMs);
    QVERIFY(events_->documents.front().cut());
    QCOMPARE(events_->documents.front().size(), std::size_t{0});
    QTest::qWait(300);
    QCOMPARE(events_->documents.size(), std::size_t{1});
  }

  void closedEngineReportsNothing() {
    engine_->navigate(url("/form"));
    engine_->close();
    QTest::qWait(500);
    QVERIFY(events_->documents.empty());
    QVERIFY(events_->titles.empty());
    // Later calls do nothing.
    engine_->navigate(url("/form"));
    QTest::qWait(200);
    QVERIFY(events_->log.empty());
  }
};

LARKSPUR_WEBENGINE_CORE_TEST_MAIN(TestWebEngineBrowser)

#include "test_web_engine_browser.moc"
