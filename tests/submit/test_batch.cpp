// The batch on a virtual clock: ticks are called by hand with the time they
// stand for, started targets are recorded by a starter that only counts them
// as workers, and the tests play the workers' reports.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/coordination.h"
#include "core/engine_table.h"
#include "core/fixed_text.h"
#include "core/target_health.h"
#include "submit/batch.h"
#include "submit/batch_targets.h"
#include "submit/elapsed_time.h"

namespace larkspur::submit {
namespace {

class CountingStarter : public TargetStarter {
 public:
  explicit CountingStarter(core::Coordination& c) : coordination(c) {}
  void startSession(core::EngineRecord& record) override {
    coordination.workers.add();
    sessions.push_back(&record);
  }
  void startDirectRequest(core::EngineRecord& record) override {
    coordination.workers.add();
    direct.push_back(&record);
  }
  core::Coordination& coordination;
  std::vector<core::EngineRecord*> sessions;
  std::vector<core::EngineRecord*> direct;
};

class Recorder : public BatchView {
 public:
  void rowAdded(std::size_t row) override { added.push_back(row); }
  void finished(const std::string& message) override { messages.push_back(message); }
  std::vector<std::size_t> added;
  std::vector<std::string> messages;
};

constexpr int64_t kStart = 1'700'000'000;

struct BatchHarness {
  explicit BatchHarness(int count, int32_t type = core::kSubmitFirstButton) {
    for (int i = 0; i < count; ++i) {
      auto r = std::make_unique<core::EngineRecord>();
      r->name.assign("Target " + std::to_string(i));
      r->submit_url.assign("http://host" + std::to_string(i) + ".example:8080/add.html");
      r->submit_type = type;
      records.push_back(std::move(r));
    }
  }
  std::vector<core::EngineRecord*> list() {
    std::vector<core::EngineRecord*> out;
    for (auto& r : records) out.push_back(r.get());
    return out;
  }
  Batch& make() {
    batch = std::make_unique<Batch>(list(), coordination, starter, 7, &view);
    return *batch;
  }
  // Plays a worker that wrote its outcome, posted its final report and ended.
  void finish(core::EngineRecord& r, const char* state, const char* message) {
    r.submit_state.assign(state);
    r.message.assign(message);
    batch->onMessage({core::MessageId::kSubmitProgress, &r, 1, message});
    coordination.workers.remove();
  }

  std::vector<std::unique_ptr<core::EngineRecord>> records;
  core::Coordination coordination;
  CountingStarter starter{coordination};
  Recorder view;
  std::unique_ptr<Batch> batch;
};

TEST(Batch, TwelveTargetsStartFiveOverFiveTicksThenOnePerTickAsOthersFinish) {
  BatchHarness h(12);
  Batch& b = h.make();
  b.start(kStart);
  EXPECT_TRUE(h.starter.sessions.empty());  // nothing starts before the first tick
  for (int t = 1; t <= 5; ++t) {
    b.tick(kStart + t);
    EXPECT_EQ(h.starter.sessions.size(), static_cast<std::size_t>(t));
  }
  b.tick(kStart + 6);
  b.tick(kStart + 7);
  EXPECT_EQ(h.starter.sessions.size(), 5u) << "five workers run: no sixth start";

  h.finish(*h.starter.sessions[0], "Submit-OK", "Submit-OK");
  h.finish(*h.starter.sessions[1], "Submit-OK", "Submit-OK");
  b.tick(kStart + 8);
  EXPECT_EQ(h.starter.sessions.size(), 6u) << "one start per tick even with two places free";
  b.tick(kStart + 9);
  EXPECT_EQ(h.starter.sessions.size(), 7u);
  b.tick(kStart + 10);
  EXPECT_EQ(h.starter.sessions.size(), 7u);
  EXPECT_EQ(b.nextIndex(), 7u);
  // Started in list order, each told where to report.
  for (std::size_t i = 0; i < h.starter.sessions.size(); ++i) {
    EXPECT_EQ(h.starter.sessions[i], h.records[i].get());
    EXPECT_EQ(h.records[i]->notify_window, 7);
  }
  EXPECT_EQ(h.records[7]->notify_window, 0);
  EXPECT_EQ(b.rows().size(), 7u);
  EXPECT_EQ(b.rows()[0].state, "Submit-OK");
  EXPECT_EQ(b.rows()[6].state, "Connect to host6.example");
  EXPECT_EQ(b.rows()[6].icon, RowIcon::kRunning);
}

TEST(Batch, ATargetThatEndsWithinItsTickMakesRoomForTheNextAtOnce) {
  BatchHarness h(6);
  Batch& b = h.make();
  b.start(kStart);
  b.tick(kStart + 1);
  ASSERT_EQ(h.starter.sessions.size(), 1u);
  b.startFreed();
  EXPECT_EQ(h.starter.sessions.size(), 1u) << "nothing has ended: no extra start";

  // Ends before the next tick (a dead host): the next one starts at once,
  // and so on down the chain.
  h.finish(*h.starter.sessions[0], "Submit-Error", "Unable to connect to server.");
  b.startFreed();
  ASSERT_EQ(h.starter.sessions.size(), 2u);
  h.finish(*h.starter.sessions[1], "Submit-Error", "Unable to connect to server.");
  b.startFreed();
  EXPECT_EQ(h.starter.sessions.size(), 3u);
  b.startFreed();
  EXPECT_EQ(h.starter.sessions.size(), 3u) << "one start per freed place";

  // A target that ended on a later tick than its own gives nothing back.
  b.tick(kStart + 2);
  ASSERT_EQ(h.starter.sessions.size(), 4u);
  h.finish(*h.starter.sessions[2], "Submit-OK", "Submit-OK");
  b.startFreed();
  EXPECT_EQ(h.starter.sessions.size(), 4u);
  EXPECT_EQ(b.rows()[3].state, "Connect to host3.example");
}

TEST(BatchTargets, AutomaticTargetsInTableOrderAndForAResetThoseNotYetOk) {
  core::EngineTable table;
  const struct {
    int32_t type;
    const char* state;
    const char* health = "";
  } rows[] = {{99, "Submit-OK"}, {0, ""}, {1, "Submit-Error", "unknown"}, {98, "", "live"},
              {99, "submit-ok"}, {11, "Submit-OK"}, {99, "", "parked"}, {98, "Submit-OK", "gone"}};
  for (const auto& row : rows) {
    core::EngineRecord r{};
    r.submit_type = row.type;
    r.submit_state.assign(row.state);
    r.health.assign(row.health);
    r.health_reason.assign("name servers at sedoparking.com");
    table.append(r);
  }
  auto indices = [&table](const std::vector<core::EngineRecord*>& chosen) {
    std::vector<long> out;
    for (const core::EngineRecord* r : chosen) out.push_back(table.indexOf(r));
    return out;
  };
  EXPECT_EQ(indices(batchTargets(table, BatchScope::kAll)), (std::vector<long>{0, 2, 3, 4, 5}));
  EXPECT_EQ(indices(batchTargets(table, BatchScope::kNotYetSucceeded)), (std::vector<long>{2, 3, 4}));
  EXPECT_EQ(indices(batchTargets(table, BatchScope::kAll, 3)), (std::vector<long>{0, 2}));
  // Unhealthy targets are left out, and said so, unless included.
  const BatchChoice reset = chooseBatchTargets(table, BatchScope::kNotYetSucceeded, false);
  EXPECT_EQ(indices(reset.skipped), (std::vector<long>{6}));
  EXPECT_EQ(core::skippedByHealthText(*reset.skipped[0]), "Skipped: parked (name servers at sedoparking.com)");
  EXPECT_EQ(indices(chooseBatchTargets(table, BatchScope::kAll, true).targets),
            (std::vector<long>{0, 2, 3, 4, 5, 6, 7}));
}

TEST(Batch, FinishesWhenEveryTargetReportedAndCountsByTheSubmitState) {
  BatchHarness h(12);
  Batch& b = h.make();
  b.start(kStart);
  int64_t now = kStart;
  std::size_t done = 0;
  while (!b.finished() && now < kStart + 100) {
    b.tick(++now);
    // Whatever has started finishes within the same second: 2 of 12 fail,
    // one of the successes was already listed.
    while (done < h.starter.sessions.size()) {
      core::EngineRecord& r = *h.starter.sessions[done];
      if (done == 3 || done == 8) {
        h.finish(r, "Submit-Error", "Time out!");
      } else if (done == 5) {
        h.finish(r, "Submit-OK", "Already Submited!");
      } else {
        h.finish(r, "Submit-OK", "Submit-OK");
      }
      ++done;
      EXPECT_EQ(b.finished(), done == 12);
    }
  }
  ASSERT_TRUE(b.finished());
  EXPECT_EQ(b.processed(), 12);
  EXPECT_EQ(b.succeeded(), 10);
  EXPECT_EQ(b.failed(), 2);
  EXPECT_EQ(b.finishMessage(), "Submit finished, 10 sucessed, 2 error.");
  EXPECT_EQ(h.view.messages, std::vector<std::string>{"Submit finished, 10 sucessed, 2 error."});
  EXPECT_EQ(b.rows()[3].icon, RowIcon::kFailed);
  EXPECT_EQ(b.rows()[5].icon, RowIcon::kSucceeded);
  EXPECT_EQ(b.rows()[5].state, "Already Submited!");
  // The finished batch no longer ticks.
  const std::string shown = b.elapsed();
  b.tick(now + 50);
  EXPECT_EQ(b.elapsed(), shown);
}

TEST(Batch, ProgressUpdatesTheRowWithThePostedTextAndCountsNothing) {
  BatchHarness h(2);
  Batch& b = h.make();
  b.start(kStart);
  b.tick(kStart + 1);
  core::EngineRecord& r = *h.records[0];
  r.message.assign("moved on already");
  b.onMessage({core::MessageId::kSubmitProgress, &r, 0, "Post data."});
  EXPECT_EQ(b.rows()[0].state, "Post data.");
  EXPECT_EQ(b.processed(), 0);
  // Other messages and unknown records change nothing.
  b.onMessage({core::MessageId::kRecordChanged, &r, 1, "x"});
  b.onMessage({core::MessageId::kSubmitProgress, h.records[1].get(), 1, "y"});
  EXPECT_EQ(b.processed(), 0);
  EXPECT_EQ(b.rows().size(), 1u);
}

TEST(Batch, ASecondFinalReportOfTheSameTargetIsNotCountedAgain) {
  BatchHarness h(2);
  Batch& b = h.make();
  b.start(kStart);
  b.tick(kStart + 1);
  h.finish(*h.records[0], "Submit-OK", "Submit-OK");
  b.onMessage({core::MessageId::kSubmitProgress, h.records[0].get(), 1, "Submit-OK"});
  EXPECT_EQ(b.processed(), 1);
  EXPECT_FALSE(b.finished());
}

TEST(Batch, CancelSetsTheStopSignalAndLaterReportsAreIgnored) {
  BatchHarness h(3);
  Batch& b = h.make();
  h.coordination.stop.set();
  b.start(kStart);
  EXPECT_FALSE(h.coordination.stop.isSet()) << "START resets the stop signal";
  b.tick(kStart + 1);
  b.tick(kStart + 2);
  h.finish(*h.records[0], "Submit-OK", "Submit-OK");
  b.cancel();
  EXPECT_TRUE(h.coordination.stop.isSet());
  EXPECT_EQ(b.phase(), Batch::Phase::kCancelled);
  h.finish(*h.records[1], "Submit-Error", "Time out!");
  b.tick(kStart + 3);
  EXPECT_EQ(b.processed(), 1);
  EXPECT_EQ(b.failed(), 0);
  EXPECT_EQ(b.rows()[1].state, "Connect to host1.example");
  EXPECT_EQ(h.starter.sessions.size(), 2u);
}

TEST(Batch, DirectRequestTargetsGoToTheDirectWorkerAndManualTargetsAreLeftOut) {
  BatchHarness h(4);
  h.records[1]->submit_type = core::kSubmitDirectRequest;
  h.records[2]->submit_type = core::kSubmitManual;
  Batch& b = h.make();
  EXPECT_EQ(b.total(), 3u);
  b.start(kStart);
  for (int t = 1; t <= 4; ++t) b.tick(kStart + t);
  ASSERT_EQ(h.starter.direct.size(), 1u);
  EXPECT_EQ(h.starter.direct[0], h.records[1].get());
  ASSERT_EQ(h.starter.sessions.size(), 2u);
  EXPECT_EQ(h.starter.sessions[1], h.records[3].get());
  EXPECT_EQ(h.records[2]->notify_window, 0);
  for (core::EngineRecord* r : {h.records[0].get(), h.records[1].get(), h.records[3].get()}) {
    h.finish(*r, "Submit-OK", "Submit-OK");
  }
  EXPECT_TRUE(b.finished()) << "a manual target in the list does not keep the batch from finishing";
}

TEST(Batch, AnEmptyListFinishesAtOnce) {
  BatchHarness h(0);
  Batch& b = h.make();
  b.start(kStart);
  EXPECT_TRUE(b.finished());
  EXPECT_EQ(b.finishMessage(), "Submit finished, 0 sucessed, 0 error.");
}

TEST(Batch, ElapsedTimeIsShownEachTickAndItsHoursWrapAtADay) {
  BatchHarness h(1);
  Batch& b = h.make();
  b.start(kStart);
  EXPECT_EQ(b.elapsed(), "00:00:00");
  b.tick(kStart + 3661);
  EXPECT_EQ(b.elapsed(), "01:01:01");
  struct Case {
    int64_t seconds;
    const char* text;
  } cases[] = {{0, "00:00:00"},      {59, "00:00:59"},        {60, "00:01:00"},
               {3599, "00:59:59"},   {86399, "23:59:59"},     {86400, "00:00:00"},
               {90061, "01:01:01"},  {2 * 86400 + 7325, "02:02:05"}, {-5, "00:00:00"}};
  for (const Case& c : cases) EXPECT_EQ(elapsedText(c.seconds), c.text) << c.seconds;
}

TEST(Batch, AnimationStepsThroughSixFramesAcrossBatches) {
  BatchHarness h(1);
  Batch& b = h.make();
  b.start(kStart);
  const int first = Batch::animationIndex();
  for (int t = 1; t <= 7; ++t) b.tick(kStart + t);
  EXPECT_EQ(Batch::animationIndex(), (first + 7) % 6);
}

}  // namespace
}  // namespace larkspur::submit
