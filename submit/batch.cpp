#include "submit/batch.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "submit/elapsed_time.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

namespace {

std::atomic<int>& animation() {
  static std::atomic<int> index{0};
  return index;
}

}  // namespace

std::string batchFinishedText(int succeeded, int failed) {
  char text[96];
  std::snprintf(text, sizeof text, "Submit finished, %d sucessed, %d error.", succeeded, failed);
  return text;
}

int Batch::animationIndex() { return animation().load(); }

Batch::Batch(std::vector<core::EngineRecord*> targets, core::Coordination& coordination,
             TargetStarter& starter, int32_t receiver, BatchView* view)
    : coordination_(coordination), starter_(starter), receiver_(receiver), view_(view) {
  for (core::EngineRecord* record : targets) {
    if (record && record->submit_type != core::kSubmitManual) targets_.push_back(record);
  }
}

void Batch::start(int64_t nowSeconds) {
  if (phase_ != Phase::kIdle) return;
  processed_ = succeeded_ = failed_ = 0;
  coordination_.stop.reset();
  rows_.clear();
  elapsed_ = "00:00:00";
  if (view_) view_->elapsedChanged(elapsed_);
  phase_ = Phase::kRunning;
  startTime_ = nowSeconds;
  if (targets_.empty()) {
    // Nothing to wait for.
    phase_ = Phase::kFinished;
    finishMessage_ = batchFinishedText(0, 0);
    if (view_) view_->finished(finishMessage_);
  }
}

void Batch::tick(int64_t nowSeconds) {
  if (phase_ != Phase::kRunning) return;
  ++ticks_;
  elapsed_ = elapsedText(nowSeconds - startTime_);
  if (view_) view_->elapsedChanged(elapsed_);

  startNext();

  int shown = animation().load();
  animation().store((shown + 1) % kBatchAnimationFrames);
  if (view_) view_->animationStep(shown);
}

bool Batch::startNext() {
  if (next_ >= targets_.size() || coordination_.workers.value() >= kBatchWorkerLimit) return false;
  core::EngineRecord& record = *targets_[next_++];
  record.notify_window = receiver_;
  BatchRow row;
  row.record = &record;
  row.name = record.name.str();
  row.state = "Connect to " + core::hostOfUrl(record.submit_url.view());
  row.startTick = ticks_;
  rows_.push_back(std::move(row));
  if (view_) view_->rowAdded(rows_.size() - 1);
  if (record.submit_type == core::kSubmitDirectRequest) {
    starter_.startDirectRequest(record);
  } else {
    starter_.startSession(record);
  }
  return true;
}

void Batch::startFreed() {
  while (phase_ == Phase::kRunning && freed_ > 0 && startNext()) --freed_;
  if (next_ >= targets_.size()) freed_ = 0;
}

void Batch::onMessage(const core::Message& message) {
  if (message.id != core::MessageId::kSubmitProgress) return;
  if (phase_ != Phase::kRunning) return;
  const bool finalReport = message.param == 1;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    BatchRow& row = rows_[i];
    if (row.record != message.record) continue;
    // The text posted with the message: the record's message may already
    // have moved on on the worker's side.
    row.state = message.text;
    const bool counted = finalReport && !row.reported;
    if (counted) {
      // A worker reports its final state once; a second final report of the
      // same row would count the target twice.
      row.reported = true;
      const bool ok = row.record->submit_state == kStateOk;
      row.icon = ok ? RowIcon::kSucceeded : RowIcon::kFailed;
      ++processed_;
      ++(ok ? succeeded_ : failed_);
      if (row.startTick == ticks_) ++freed_;
    }
    if (view_) view_->rowChanged(i, counted);
  }
  if (static_cast<std::size_t>(processed_) == targets_.size() && phase_ == Phase::kRunning) {
    phase_ = Phase::kFinished;
    finishMessage_ = batchFinishedText(succeeded_, failed_);
    if (view_) view_->finished(finishMessage_);
  }
}

void Batch::cancel() {
  coordination_.stop.set();
  if (phase_ != Phase::kFinished) phase_ = Phase::kCancelled;
}

}  // namespace larkspur::submit
