// Sessions, direct requests and the batch loop against the target farm on
// 127.0.0.1: real threads, the HTTP engine and real answers; time-outs are
// shortened, the stop poll keeps its product period.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/coordination.h"
#include "core/fixed_text.h"
#include "core/message_queue.h"
#include "submit/batch.h"
#include "submit/batch_loop.h"
#include "submit/direct_request.h"
#include "submit/thread_starter.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/submit/rules_test_support.h"
#include "tests/support/local_server.h"

namespace larkspur::submit {
namespace {

using Clock = std::chrono::steady_clock;
using farm::FarmTarget;
using farm::TargetFarm;

std::string text(const char* field, std::size_t n) { return std::string(core::fieldView(field, n)); }

class FarmSessions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site.start());
    profile = testing::bakeryProfile();
    words = core::buildWordLists(profile);
  }
  // Records of the farm's targets, owned here.
  std::vector<core::EngineRecord*> records(const std::vector<FarmTarget>& targets) {
    std::vector<core::EngineRecord*> out;
    for (const FarmTarget& t : targets) {
      owned.push_back(std::make_unique<core::EngineRecord>(t.record));
      out.push_back(owned.back().get());
    }
    return out;
  }
  SubmissionContext settings(std::chrono::milliseconds timeOut) {
    SubmissionContext s;
    s.profile = &profile;
    s.words = &words;
    s.coordination = &coordination;
    s.post = queue.poster();
    s.timings.timeOut = timeOut;
    return s;
  }
  int finals(const std::vector<core::Message>& messages) {
    int n = 0;
    for (const auto& m : messages) n += m.param == 1 ? 1 : 0;
    return n;
  }

  TargetFarm site;
  core::WebsiteProfile profile;
  core::WordLists words;
  core::Coordination coordination;
  core::MessageQueue queue;
  std::vector<std::unique_ptr<core::EngineRecord>> owned;
};

TEST_F(FarmSessions, EveryTargetEndsInItsExpectedStateWithOneFinalReport) {
  const std::vector<FarmTarget> targets = site.targets();
  std::vector<core::EngineRecord*> list = records(targets);
  {
    // Long enough for every target that answers to do so on a busy machine.
    ThreadStarter starter(settings(std::chrono::milliseconds(3000)));
    for (core::EngineRecord* r : list) {
      if (r->submit_type == core::kSubmitDirectRequest) {
        starter.startDirectRequest(*r);
      } else {
        starter.startSession(*r);
      }
    }
    // Targets on dead hosts may already have ended; none is counted twice.
    EXPECT_EQ(starter.started(), list.size());
    EXPECT_LE(coordination.workers.value(), static_cast<int32_t>(list.size()));
  }
  EXPECT_EQ(coordination.workers.value(), 0);
  const std::vector<core::Message> messages = queue.take();
  for (std::size_t i = 0; i < targets.size(); ++i) {
    SCOPED_TRACE(targets[i].key);
    EXPECT_EQ(text(list[i]->submit_state.c_str(), 260), targets[i].expectedState);
    EXPECT_EQ(text(list[i]->message.c_str(), 260), targets[i].expectedMessage);
    int finalCount = 0;
    for (const auto& m : messages) {
      if (m.record == list[i] && m.param == 1) {
        ++finalCount;
        EXPECT_EQ(m.text, targets[i].expectedMessage);
      }
    }
    EXPECT_EQ(finalCount, 1);
  }
  // What the directories received: the page's own hidden and reciprocal
  // values, the value a field's kind asks for, the choices a person makes.
  const struct {
    const char* key;
    const char* field;
    const char* value;
  } kReceived[] = {
      {"dir-thanks-url", "return_url", "/dir-thanks-url/thanks.html"},
      {"dir-thanks-url", "owner_name", "owner@example-bakery.com"},
      {"dir-thanks-url", "title", "Example"},
      {"dir-reciprocal", "recip_url", ""},
      {"dir-reciprocal", "site_url", "http://www.example-bakery.com/"},
      {"dir-choices", "LINK_TYPE", "normal"},
      {"dir-choices", "CATEGORY_ID", "7"},
  };
  for (const auto& r : kReceived) {
    SCOPED_TRACE(std::string(r.key) + " " + r.field);
    const auto got = site.received(r.key);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[1].field(r.field), r.value);
  }
  EXPECT_EQ(site.received("dir-captcha").size(), 1u);  // the form page only: nothing was sent

  // Sent again, the directories that took the site say it is already listed.
  std::vector<FarmTarget> again;
  for (const FarmTarget& t : targets) {
    if (t.key == "dir-thanks-url" || t.key == "dir-reciprocal" || t.key == "dir-choices") again.push_back(t);
  }
  std::vector<core::EngineRecord*> second = records(again);
  {
    ThreadStarter starter(settings(std::chrono::milliseconds(3000)));
    for (core::EngineRecord* r : second) starter.startSession(*r);
  }
  ASSERT_EQ(second.size(), 3u);
  for (const core::EngineRecord* r : second) {
    EXPECT_EQ(r->submit_state.str() + " " + r->message.str(), "Submit-OK Already Submited!") << r->name.str();
  }
}

TEST_F(FarmSessions, StopClosesEverySessionWithinAboutASecondWithoutAFinalReport) {
  std::vector<FarmTarget> waiting;
  for (const char* key : {"never-answers", "never-classifies", "url-after-button", "script-only", "never-answers"}) {
    waiting.push_back(*site.target(key));
  }
  std::vector<core::EngineRecord*> list = records(waiting);
  ThreadStarter starter(settings(kSessionTimeOut));
  for (core::EngineRecord* r : list) starter.startSession(*r);
  // Wait until every session has reached the page it will wait on.
  const auto ready = Clock::now() + std::chrono::seconds(10);
  auto arrived = [&] {
    return site.received("never-answers").size() == 2 && site.received("never-classifies").size() == 2 &&
           site.received("url-after-button").size() == 1 && site.received("script-only").size() == 1;
  };
  while (!arrived() && Clock::now() < ready) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(arrived());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_EQ(coordination.workers.value(), 5);

  const Clock::time_point stopAt = Clock::now();
  coordination.stop.set();
  while (coordination.workers.value() > 0 && Clock::now() - stopAt < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopAt);
  EXPECT_EQ(coordination.workers.value(), 0);
  EXPECT_LE(took.count(), 1300) << "sessions poll the stop signal every second";
  starter.joinAll();
  EXPECT_EQ(finals(queue.take()), 0);
  for (core::EngineRecord* r : list) EXPECT_EQ(text(r->submit_state.c_str(), 260), "");
}

TEST_F(FarmSessions, DirectRequestSendsTheExpandedHintAndTakesAnyCompletedAnswerAsSuccess) {
  core::EngineRecord record = site.target("direct")->record;
  record.message.assign("old");
  const int32_t result = runDirectRequest(record, "http://www.example-bakery.com/", queue.poster());
  EXPECT_EQ(result, web::kFetchComplete);
  EXPECT_EQ(text(record.submit_state.c_str(), 260), "Submit-OK");
  EXPECT_EQ(text(record.message.c_str(), 260), "Submit-OK");
  const auto got = site.received("direct");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].path, "/direct/add");
  EXPECT_EQ(got[0].field("url"), "http://www.example-bakery.com/");
  EXPECT_EQ(got[0].field("lang"), "en");
  EXPECT_EQ(got[0].userAgent, "Microsoft Internet Explorer");
  const auto messages = queue.take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].param, 1);
  EXPECT_EQ(messages[0].record, &record);
}

TEST_F(FarmSessions, OfflineDirectRequestFailsWithAnEmptyMessage) {
  core::EngineRecord record = site.target("direct")->record;
  record.message.assign("Post data.");
  web::PageFetchOptions offline;
  offline.offlineCheck = [](std::string_view) { return true; };
  const int32_t result = runDirectRequest(record, "http://www.example-bakery.com/", queue.poster(), offline);
  EXPECT_EQ(result, web::kFetchOffline);
  EXPECT_EQ(text(record.submit_state.c_str(), 260), "Submit-Error");
  EXPECT_EQ(text(record.message.c_str(), 260), "");
  EXPECT_TRUE(site.received("direct").empty());
  const auto messages = queue.take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].param, 1);
  EXPECT_EQ(messages[0].text, "");
}

TEST_F(FarmSessions, DirectRequestToAClosedPortFailsWithTheTransportText) {
  core::EngineRecord record = site.target("direct")->record;
  record.submit_hint = "http://127.0.0.1:" + std::to_string(test::unusedLocalPort()) + "/add?u=%URL%";
  const int32_t result = runDirectRequest(record, "http://www.example-bakery.com/", queue.poster());
  EXPECT_EQ(result, web::kFetchConnectFailed);
  EXPECT_EQ(text(record.submit_state.c_str(), 260), "Submit-Error");
  EXPECT_NE(text(record.message.c_str(), 260), "");
}

TEST(DirectRequest, AnAnswerWithAFailingStatusIsASubmitError) {
  struct Case {
    int status;
    const char* state;
    const char* message;
  };
  const Case cases[] = {
      {200, "Submit-OK", "Submit-OK"},
      {404, "Submit-Error", "HTTP 404 Not Found"},
      {500, "Submit-Error", "HTTP 500 Internal Server Error"},
      {503, "Submit-Error", "HTTP 503 Service Unavailable"},
      {599, "Submit-Error", "HTTP 599"},
  };
  setenv("no_proxy", "*", 1);  // local requests never go through a proxy
  test::LocalServer server;
  server.get(R"(/add/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.status = std::stoi(req.matches[1].str());
    res.set_content("answer page", "text/html");
  });
  ASSERT_TRUE(server.start());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    core::EngineRecord record{};
    record.submit_hint.assign(server.url("/add/" + std::to_string(c.status) + "?u=%URL%"));
    core::MessageQueue queue;
    EXPECT_EQ(runDirectRequest(record, "http://www.example-bakery.com/", queue.poster()), web::kFetchComplete);
    EXPECT_EQ(text(record.submit_state.c_str(), 260), c.state);
    EXPECT_EQ(text(record.message.c_str(), 260), c.message);
    const auto messages = queue.take();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, c.message);
  }
}

TEST_F(FarmSessions, BatchLoopRunsTheImmediateTargetsToTheEnd) {
  std::vector<FarmTarget> quick;
  for (const FarmTarget& t : site.targets()) {
    if (t.answersAtOnce) quick.push_back(t);
  }
  std::vector<core::EngineRecord*> list = records(quick);
  ThreadStarter starter(settings(std::chrono::milliseconds(5000)));
  Batch batch(list, coordination, starter);
  std::atomic<bool> cancel{false};
  BatchLoopOptions options;
  options.tickPeriod = std::chrono::milliseconds(20);
  int64_t virtualSeconds = 1000;
  options.clock = [&virtualSeconds] { return virtualSeconds++; };
  EXPECT_EQ(runBatchLoop(batch, queue, cancel, options), BatchLoopEnd::kFinished);
  int failed = 0;
  for (const FarmTarget& t : quick) failed += t.expectedState == "Submit-Error" ? 1 : 0;
  EXPECT_EQ(batch.processed(), static_cast<int>(quick.size()));
  EXPECT_EQ(batch.failed(), failed);
  EXPECT_EQ(batch.finishMessage(), batchFinishedText(static_cast<int>(quick.size()) - failed, failed));
  EXPECT_NE(batch.elapsed(), "00:00:00");
}

TEST_F(FarmSessions, BatchLoopCancelRequestStopsTheBatch) {
  std::vector<core::EngineRecord*> list = records({*site.target("never-answers"), *site.target("never-classifies")});
  ThreadStarter starter(settings(kSessionTimeOut));
  Batch batch(list, coordination, starter);
  std::atomic<bool> cancel{false};
  BatchLoopOptions options;
  options.tickPeriod = std::chrono::milliseconds(20);
  std::thread canceller([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel.store(true);
  });
  const Clock::time_point began = Clock::now();
  EXPECT_EQ(runBatchLoop(batch, queue, cancel, options), BatchLoopEnd::kCancelled);
  canceller.join();
  EXPECT_TRUE(coordination.stop.isSet());
  starter.joinAll();
  EXPECT_LT(Clock::now() - began, std::chrono::seconds(3));
  EXPECT_EQ(batch.processed(), 0);
}

TEST_F(FarmSessions, DeadHostsEndAtOnceAndDoNotWaitForTheTickEach) {
  // Twenty targets whose page never loads, with the product's time-out and
  // tick: each ends at once with the cause, and the batch is not paced at a
  // second per target.
  std::vector<FarmTarget> dead;
  for (int i = 0; i < 20; ++i) {
    dead.push_back(*site.target(i % 3 == 0 ? "unresolvable" : i % 3 == 1 ? "refused" : "redirect-loop"));
  }
  std::vector<core::EngineRecord*> list = records(dead);
  ThreadStarter starter(settings(kSessionTimeOut));
  Batch batch(list, coordination, starter);
  std::atomic<bool> cancel{false};
  const Clock::time_point began = Clock::now();
  EXPECT_EQ(runBatchLoop(batch, queue, cancel), BatchLoopEnd::kFinished);
  const auto took = Clock::now() - began;
  EXPECT_LT(took, std::chrono::seconds(6)) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  EXPECT_EQ(batch.failed(), 20);
  EXPECT_LE(starter.unjoined(), 5u) << "ended threads are joined as the batch goes";
  for (std::size_t i = 0; i < dead.size(); ++i) {
    SCOPED_TRACE(dead[i].key);
    EXPECT_EQ(text(list[i]->submit_state.c_str(), 260), "Submit-Error");
    EXPECT_EQ(text(list[i]->message.c_str(), 260), dead[i].expectedMessage);
  }
}

TEST_F(FarmSessions, ATricklingPageEndsAtTheSessionTimeOutOrTheFetchDeadline) {
  // A session ends at its time-out while the page still trickles in; a direct
  // request at the fetch's deadline.
  std::vector<core::EngineRecord*> list = records({*site.target("trickle"), *site.target("direct-trickle")});
  const Clock::time_point began = Clock::now();
  {
    SubmissionContext s = settings(std::chrono::milliseconds(1500));
    s.fetch.deadline = std::chrono::milliseconds(1500);
    ThreadStarter starter(s);
    starter.startSession(*list[0]);
    starter.startDirectRequest(*list[1]);
  }
  const auto took = Clock::now() - began;
  EXPECT_GE(took, std::chrono::milliseconds(1400));
  EXPECT_LT(took, std::chrono::milliseconds(2800));
  EXPECT_EQ(text(list[0]->message.c_str(), 260), site.target("trickle")->expectedMessage);
  EXPECT_EQ(text(list[1]->message.c_str(), 260), site.target("direct-trickle")->expectedMessage);
  EXPECT_EQ(text(list[1]->submit_state.c_str(), 260), "Submit-Error");
  EXPECT_EQ(finals(queue.take()), 2);
}

}  // namespace
}  // namespace larkspur::submit
