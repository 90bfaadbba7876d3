// The submission session driven by a scripted engine and hand-fired timers:
// how it reacts to loads, titles, navigation errors, the time-out and the
// stop signal, and that the final report goes out once.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/event.h"
#include "core/fixed_text.h"
#include "submit/submission_session.h"
#include "tests/submit/rules_test_support.h"
#include "web/html_parser.h"

namespace larkspur::submit {
namespace {

using namespace testing;
using web::LoadScope;

class ScriptedEngine : public web::BrowserEngine {
 public:
  void setEvents(web::BrowserEvents*) override {}
  void navigate(std::string_view url) override { navigated.emplace_back(url); }
  void stopLoading() override { ++stops; }
  void close() override { ++closes; }
  void carryOut(web::Document& document) override {
    for (const auto& a : document.actions()) {
      if (a.kind == web::PageAction::Kind::kClick) ++clicks;
    }
    document.clearActions();
  }
  std::vector<std::string> navigated;
  int stops = 0;
  int closes = 0;
  int clicks = 0;
};

class HandTimers : public SessionTimers {
 public:
  void startTimer(SessionTimer timer, std::chrono::milliseconds period) override { running[timer] = period; }
  void killTimer(SessionTimer timer) override { running.erase(timer); }
  std::map<SessionTimer, std::chrono::milliseconds> running;
};

class CountingFrame : public SessionFrame {
 public:
  void closeFrame() override { ++closes; }
  void showTitle(const std::string& title) override { titles.push_back(title); }
  int closes = 0;
  std::vector<std::string> titles;
};

constexpr const char* kFormPage = R"(<html><head><title>Add URL</title></head><body>
<form action="/add" method="post"><input name="url"><input name="email">
<input type="submit" value="Add"></form></body></html>)";

// A session on a scripted engine; posted reports are collected.
struct Harness {
  explicit Harness(const RecordSpec& target, bool automatic = true)
      : record(makeRecord(target)), profile(bakeryProfile()), words(core::buildWordLists(profile)) {
    record.submit_url.assign("http://target.example/add.html");
    SubmissionContext context;
    context.profile = &profile;
    context.words = &words;
    context.coordination = &coordination;
    context.post = [this](core::Message m) { posted.push_back(std::move(m)); };
    const SessionSetup setup{.record = &record, .automatic = automatic, .owned = automatic, .engine = &engine,
                             .timers = &timers, .frame = &frame};
    session = std::make_unique<SubmissionSession>(context, setup);
    session->start();
  }

  void load(const std::string& html, const std::string& url = "http://target.example/add.html") {
    web::Document doc = web::parseHtmlUtf8(html, url);
    session->documentComplete(doc);
  }
  // Loads the form and clicks its button: the session is then submitted.
  void submitForm() {
    load(kFormPage);
    ASSERT_EQ(session->state(), SessionState::kSubmitted);
  }
  int finals() const {
    int n = 0;
    for (const auto& m : posted) n += m.param == 1 ? 1 : 0;
    return n;
  }
  std::string message() const { return std::string(record.message.view()); }
  std::string state() const { return std::string(record.submit_state.view()); }

  core::EngineRecord record;
  core::WebsiteProfile profile;
  core::WordLists words;
  ScriptedEngine engine;
  HandTimers timers;
  CountingFrame frame;
  core::Coordination coordination;
  std::vector<core::Message> posted;
  std::unique_ptr<SubmissionSession> session;
};

TEST(SubmissionSession, StartLoadsTheSubmitUrlAndRunsBothTimersWithProductPeriods) {
  Harness h({});
  EXPECT_EQ(h.engine.navigated, std::vector<std::string>{"http://target.example/add.html"});
  ASSERT_EQ(h.timers.running.size(), 2u);
  EXPECT_EQ(h.timers.running[SessionTimer::kTimeOut], std::chrono::milliseconds(160000));
  EXPECT_EQ(h.timers.running[SessionTimer::kStopPoll], std::chrono::milliseconds(1000));
}

TEST(SubmissionSession, FirstLoadPostsPostDataOnceThenTheWalkClicks) {
  Harness h({});
  h.load(kFormPage);
  ASSERT_GE(h.posted.size(), 2u);
  EXPECT_EQ(h.posted[0].text, "Post data.");
  EXPECT_EQ(h.posted[0].param, 0);
  EXPECT_EQ(h.posted[0].record, &h.record);
  EXPECT_EQ(h.posted[1].text, "Send submit request.");
  EXPECT_EQ(h.engine.clicks, 1);
  EXPECT_EQ(h.session->currentAddress(), "http://target.example/add.html");
}

TEST(SubmissionSession, AnswerPageTextDecidesAndClosesTheSession) {
  Harness h({});
  h.submitForm();
  h.load("<html><body><p>Thank you for your submission.</p></body></html>", "http://target.example/add");
  EXPECT_EQ(h.state(), "Submit-OK");
  EXPECT_EQ(h.message(), "Submit-OK");
  EXPECT_EQ(h.finals(), 1);
  EXPECT_TRUE(h.session->closed());
  EXPECT_EQ(h.frame.closes, 1);
  EXPECT_EQ(h.engine.closes, 1);
  EXPECT_TRUE(h.timers.running.empty());
  // A verdict keeps the record attached.
  EXPECT_EQ(h.session->record(), &h.record);
}

TEST(SubmissionSession, TitleDecidesOnlyAfterTheClickAndOnlyForSuccessOrAlready) {
  struct Case {
    const char* title;
    bool submitted;
    const char* state;
    const char* message;
  } cases[] = {
      {"Thanks for adding your site", true, "Submit-OK", "Submit-OK"},
      {"You are ALREADY listed", true, "Submit-OK", "Already Submited!"},
      {"Thanks for adding your site", false, "", ""},   // not yet submitted
      {"404 Not Found", true, "", "Send submit request."},  // not found is ignored for titles
      {"Please wait", true, "", "Send submit request."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Harness h({});
    if (c.submitted) {
      h.submitForm();
    } else {
      h.load("<html><body>no form</body></html>");
    }
    h.session->titleChange(c.title);
    EXPECT_EQ(h.state(), c.state);
    if (c.submitted) {
      EXPECT_EQ(h.message(), c.message);
    }
    const bool decided = std::string(c.state) == "Submit-OK";
    EXPECT_EQ(h.finals(), decided ? 1 : 0);
    EXPECT_EQ(h.session->closed(), decided);
  }
}

TEST(SubmissionSession, NavigationErrorsEndTheSessionUnlessTheTargetIsKnownToSendThem) {
  constexpr LoadScope kPage = LoadScope::kPage;
  constexpr LoadScope kFrame = LoadScope::kFrame;
  struct Case {
    const char* target;
    uint32_t code;
    LoadScope scope;
    bool ignored;
    const char* message;
  } cases[] = {
      {"Bellnet", 404, kPage, true, ""},
      {"Anyone", 404, kPage, false, "Object not found."},
      {"Anyone", 404, kFrame, false, "Object not found."},
      {"MSN", 500, kPage, true, ""},
      {"MSN", 404, kPage, false, "Object not found."},
      {"Exploit", 404, kPage, true, ""},
      {"Freeaddurl", 400, kPage, true, ""},
      {"Freeaddurl", 404, kPage, false, "Object not found."},
      {"Bellnet", 500, kPage, false, "Internal server error."},
      // A frame whose host is unknown: the page goes on.
      {"Anyone", 0x800C0005, kFrame, true, ""},
      {"Bellnet", 0x800C0005, kFrame, true, ""},
      // The page's own host is unknown: nothing will ever load, end at once.
      {"Anyone", 0x800C0005, kPage, false, "Requested resource is not found. (host name not found)"},
      {"Bellnet", 0x800C0005, kPage, false, "Requested resource is not found. (host name not found)"},
      {"Anyone", 0x800C0004, kPage, false, "Unable to connect to server."},
      {"Anyone", 0x800C0004, kFrame, false, "Unable to connect to server."},
      {"bellnet", 404, kPage, false, "Object not found."},  // names compare exactly
      {"Anyone", 599, kPage, false, "Post data."},          // no text: the message stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.target) + " " + std::to_string(c.code) + (c.scope == kPage ? " page" : " frame"));
    Harness h({.name = c.target});
    if (std::string(c.message) == "Post data.") h.load("<html><body>x</body></html>");
    h.session->navigationError("http://target.example/add.html", "", c.code, c.scope);
    if (c.ignored) {
      EXPECT_FALSE(h.session->closed());
      EXPECT_EQ(h.finals(), 0);
      EXPECT_EQ(h.session->record(), &h.record);
      continue;
    }
    EXPECT_EQ(h.state(), "Submit-Error");
    EXPECT_EQ(h.message(), c.message);
    EXPECT_EQ(h.finals(), 1);
    EXPECT_TRUE(h.session->closed());
    EXPECT_GE(h.engine.stops, 1);
    // Detached: later events cannot write into the record.
    EXPECT_EQ(h.session->record(), nullptr);
  }
}

TEST(SubmissionSession, TimeOutWritesTimeOutDetachesAndCloses) {
  Harness h({});
  h.submitForm();
  h.session->onTimer(SessionTimer::kTimeOut);
  EXPECT_EQ(h.state(), "Submit-Error");
  EXPECT_EQ(h.message(), "Time out!");
  EXPECT_EQ(h.finals(), 1);
  EXPECT_EQ(h.session->record(), nullptr);
  EXPECT_TRUE(h.session->closed());
  EXPECT_TRUE(h.timers.running.empty());
  // A late answer finds no record.
  h.load("<html><body>Thank you!</body></html>");
  EXPECT_EQ(h.state(), "Submit-Error");
  EXPECT_EQ(h.finals(), 1);
}

TEST(SubmissionSession, AFinishedSessionNeverPostsASecondFinalReport) {
  // Late events after the verdict: time-out, navigation error, title.
  Harness late({});
  late.submitForm();
  web::Document answer = web::parseHtmlUtf8("<html><body>Site already listed</body></html>", "http://t/");
  late.session->documentComplete(answer);
  ASSERT_EQ(late.finals(), 1);
  late.session->onTimer(SessionTimer::kTimeOut);
  late.session->navigationError("http://t/", "", 500, LoadScope::kPage);
  late.session->titleChange("Thank you");
  EXPECT_EQ(late.finals(), 1);
  EXPECT_EQ(late.state(), "Submit-OK");
  EXPECT_EQ(late.message(), "Already Submited!");
}

TEST(SubmissionSession, TimeOutAfterAVerdictOnASessionWithoutWindowKeepsTheVerdict) {
  // An automatic session that does not close itself stays open after its
  // verdict; its time-out must not turn the success into an error.
  core::EngineRecord record = makeRecord({});
  core::WebsiteProfile profile = bakeryProfile();
  core::WordLists words = core::buildWordLists(profile);
  ScriptedEngine engine;
  HandTimers timers;
  int finals = 0;
  SubmissionContext context;
  context.profile = &profile;
  context.words = &words;
  context.post = [&finals](core::Message m) { finals += m.param == 1 ? 1 : 0; };
  const SessionSetup setup{.record = &record, .automatic = true, .owned = false, .engine = &engine, .timers = &timers};
  SubmissionSession session(context, setup);
  session.start();
  web::Document form = web::parseHtmlUtf8(kFormPage, "http://t/");
  session.documentComplete(form);
  web::Document answer = web::parseHtmlUtf8("<html><body>Thank you</body></html>", "http://t/add");
  session.documentComplete(answer);
  ASSERT_EQ(finals, 1);
  ASSERT_FALSE(session.closed());
  session.onTimer(SessionTimer::kTimeOut);
  EXPECT_EQ(finals, 1);
  EXPECT_EQ(record.submit_state.view(), "Submit-OK");
  EXPECT_EQ(record.message.view(), "Submit-OK");
}

TEST(SubmissionSession, StopPollClosesOnlyWhenTheStopSignalIsSetAndReportsNothing) {
  Harness h({});
  h.submitForm();
  const std::size_t before = h.posted.size();
  h.session->onTimer(SessionTimer::kStopPoll);
  EXPECT_FALSE(h.session->closed());
  h.coordination.stop.set();
  h.session->onTimer(SessionTimer::kStopPoll);
  EXPECT_TRUE(h.session->closed());
  EXPECT_EQ(h.posted.size(), before);
  EXPECT_EQ(h.message(), "Send submit request.");
  EXPECT_EQ(h.state(), "");
  EXPECT_EQ(h.session->record(), &h.record);
}

TEST(SubmissionSession, DocumentCompleteWhileStoppedStopsAndCloses) {
  Harness h({});
  h.coordination.stop.set();
  h.load(kFormPage);
  EXPECT_TRUE(h.session->closed());
  EXPECT_GE(h.engine.stops, 1);
  EXPECT_EQ(h.finals(), 0);
}

TEST(SubmissionSession, ManualSessionFillsOnEveryLoadButNeverClicksClassifiesOrTimesOut) {
  Harness h({}, /*automatic=*/false);
  EXPECT_TRUE(h.timers.running.empty());
  h.load(kFormPage);
  h.load(kFormPage);
  EXPECT_EQ(h.engine.clicks, 0);
  EXPECT_EQ(h.session->state(), SessionState::kUrlFilled);
  h.load("<html><head><title>Thank you</title></head><body>Thank you</body></html>");
  h.session->titleChange("Thank you");
  h.session->navigationError("http://t/", "", 404, LoadScope::kPage);
  h.session->onTimer(SessionTimer::kTimeOut);
  EXPECT_EQ(h.state(), "");
  EXPECT_EQ(h.finals(), 0);
  EXPECT_FALSE(h.session->closed());
  EXPECT_EQ(h.frame.titles, std::vector<std::string>{"Thank you"});
  // One progress report: "Post data." on the first load.
  ASSERT_EQ(h.posted.size(), 1u);
  EXPECT_EQ(h.posted[0].text, "Post data.");
}

TEST(SubmissionSession, StatusTextKeepsLinkAddressesAndShortcutTexts) {
  Harness h({}, false);
  h.session->statusTextChange("http://target.example/page");
  EXPECT_EQ(h.session->statusText(), "http://target.example/page");
  h.session->statusTextChange("Done");
  EXPECT_EQ(h.session->statusText(), "");
  h.session->statusTextChange("SHORTCUT TO somewhere");
  EXPECT_EQ(h.session->statusText(), "SHORTCUT TO somewhere");
}

}  // namespace
}  // namespace larkspur::submit
