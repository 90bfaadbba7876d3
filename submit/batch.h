#pragma once
// The unattended batch: submits the Website profile to a list of targets,
// starting at most one per tick and only while fewer than five workers of the
// program run; automatic targets run as submission sessions, direct-request
// targets as workers that request one address. It keeps a row per started
// target with its latest message, counts the final reports and announces the
// end. Engine, threads and clock are the caller's: the batch is told the time
// at each tick and started targets go through a TargetStarter.
//
// Used from one thread (the window's or the command line's loop); workers
// report through posted messages handed to onMessage().

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/coordination.h"
#include "core/engine_record.h"
#include "core/messages.h"

namespace larkspur::submit {

inline constexpr int32_t kBatchWorkerLimit = 5;
inline constexpr int kBatchAnimationFrames = 6;

// Starts the work for one target; the started work counts itself in the
// worker count before this returns and posts its reports to the batch.
class TargetStarter {
 public:
  virtual ~TargetStarter() = default;
  virtual void startSession(core::EngineRecord& record) = 0;
  virtual void startDirectRequest(core::EngineRecord& record) = 0;
};

enum class RowIcon : int { kRunning = 0, kSucceeded = 1, kFailed = 2 };

struct BatchRow {
  core::EngineRecord* record = nullptr;
  std::string name;   // "Search Engine" column
  std::string state;  // "State" column: the latest message
  RowIcon icon = RowIcon::kRunning;
  bool reported = false;  // its final report has been counted
  uint64_t startTick = 0;  // the tick that started it
};

// What shows the batch; every call comes from the batch's thread.
class BatchView {
 public:
  virtual ~BatchView() = default;
  virtual void rowAdded(std::size_t row) { (void)row; }
  virtual void rowChanged(std::size_t row, bool finalReport) { (void)row, (void)finalReport; }
  virtual void elapsedChanged(const std::string& text) { (void)text; }
  virtual void animationStep(int index) { (void)index; }
  virtual void finished(const std::string& message) { (void)message; }
};

// "Submit finished, %d sucessed, %d error."
std::string batchFinishedText(int succeeded, int failed);

class Batch {
 public:
  enum class Phase { kIdle, kRunning, kFinished, kCancelled };

  // Records of submit type 0 are left out of the list: nothing would start
  // them, and the batch could never finish. `receiver` is written into each
  // started record's notify field.
  Batch(std::vector<core::EngineRecord*> targets, core::Coordination& coordination,
        TargetStarter& starter, int32_t receiver = 1, BatchView* view = nullptr);

  // "START": counters and rows cleared, the stop signal reset, the clock
  // taken. Only from the idle phase.
  void start(int64_t nowSeconds);
  // The once-a-second timer: shows the elapsed time, starts the next target
  // when fewer than five workers run, steps the animation.
  void tick(int64_t nowSeconds);
  // A posted progress message (MessageId::kSubmitProgress); others are
  // ignored, and so is everything after Cancel.
  void onMessage(const core::Message& message);
  // Starts the next target at once in place of each one that ended within
  // the tick it was started in, while fewer than five workers run. A target
  // whose host is gone fails in milliseconds; making the next one wait for
  // the next tick would make a batch over dead hosts last a second per
  // target. Targets that take longer than a tick keep the one-start-per-tick
  // pace. The loop that drives the batch calls this after reports and
  // whenever it wakes up.
  void startFreed();
  // "Cancel": sets the stop signal; later reports are ignored.
  void cancel();

  Phase phase() const { return phase_; }
  bool finished() const { return phase_ == Phase::kFinished; }
  std::size_t total() const { return targets_.size(); }
  std::size_t nextIndex() const { return next_; }
  int processed() const { return processed_; }
  int succeeded() const { return succeeded_; }
  int failed() const { return failed_; }
  const std::vector<BatchRow>& rows() const { return rows_; }
  const std::string& elapsed() const { return elapsed_; }
  // The end message, once finished.
  const std::string& finishMessage() const { return finishMessage_; }
  int64_t startTime() const { return startTime_; }

  // The animation frame shown next; shared by every batch of the process.
  static int animationIndex();

 private:
  // Starts the target at the next index when fewer than five workers run.
  bool startNext();

  std::vector<core::EngineRecord*> targets_;
  core::Coordination& coordination_;
  TargetStarter& starter_;
  int32_t receiver_;
  BatchView* view_;
  Phase phase_ = Phase::kIdle;
  std::size_t next_ = 0;
  int processed_ = 0;
  int succeeded_ = 0;
  int failed_ = 0;
  int64_t startTime_ = 0;
  uint64_t ticks_ = 0;
  std::size_t freed_ = 0;  // starts owed for targets that ended within their tick
  std::vector<BatchRow> rows_;
  std::string elapsed_ = "00:00:00";
  std::string finishMessage_;
};

}  // namespace larkspur::submit
