#include "submit/submission_session.h"

#include "core/ascii_text.h"
#include "core/fixed_text.h"
#include "submit/answer_classifier.h"
#include "submit/field_names.h"
#include "submit/navigation_errors.h"
#include "submit/navigation_ignore.h"
#include "submit/page_walk.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

SubmissionSession::SubmissionSession(const SubmissionContext& context, const SessionSetup& setup)
    : engine_(setup.engine),
      timers_(setup.timers),
      frame_(setup.frame),
      post_(context.post),
      stop_(context.stopSignal()),
      timings_(context.timings) {
  walk_.record = setup.record;
  walk_.automatic = setup.automatic;
  walk_.owned = setup.owned;
  walk_.profile = context.profile;
  walk_.words = context.words;
  walk_.host = this;
}

void SubmissionSession::start() {
  if (!walk_.record) return;
  walk_.tokens = fieldMapTokens(walk_.record->field_map.view());
  if (engine_) engine_->navigate(walk_.record->submit_url.view());
  initialUpdate();
}

void SubmissionSession::initialUpdate() {
  if (!walk_.automatic || !timers_) return;
  timers_->startTimer(SessionTimer::kTimeOut, timings_.timeOut);
  timers_->startTimer(SessionTimer::kStopPoll, timings_.stopPoll);
}

void SubmissionSession::killTimers() {
  if (!timers_) return;
  timers_->killTimer(SessionTimer::kTimeOut);
  timers_->killTimer(SessionTimer::kStopPoll);
}

void SubmissionSession::onTimer(SessionTimer timer) {
  if (closed_ || !walk_.automatic) return;
  if (timer == SessionTimer::kStopPoll) {
    // Stopped sessions end without a report; the record keeps its message.
    if (stop_ && stop_->isSet()) closeSession();
    return;
  }
  if (engine_) engine_->stopLoading();
  killTimers();
  finishWithError(kMessageTimeOut);
}

// Ends an automatic session that failed: the message (when there is one) and
// "Submit-Error" go into the record and the final report is posted. A session
// that was already final keeps the outcome it reported. A session with a
// window of its own then lets go of the record, so that nothing arriving
// later can write into it, and closes.
void SubmissionSession::finishWithError(const char* message) {
  if (walk_.record && walk_.state != SessionState::kFinal) {
    if (message) walk_.record->message.assign(message);
    walk_.record->submit_state = kStateError;
    reportFinal(walk_);
  }
  walk_.state = SessionState::kFinal;
  if (walk_.owned) {
    walk_.record = nullptr;
    closeSession();
  }
}

void SubmissionSession::navigationStarting(const std::string& url) { currentAddress_ = url; }

void SubmissionSession::documentComplete(web::Document& document) {
  if (closed_ || !walk_.record) {
    document.clearActions();
    return;
  }
  if (stop_ && stop_->isSet()) {
    if (engine_) engine_->stopLoading();
    if (walk_.automatic) closeSession();
  }
  if (walk_.state == SessionState::kNew) {
    reportProgress(walk_, kMessagePostData);
    walk_.state = SessionState::kLoaded;
  }
  const SessionState before = walk_.state;
  if (walk_.state != SessionState::kFinal) walkPage(walk_, document);
  currentAddress_ = document.url();
  // Only the beginning of a page too large was kept: when it holds nothing
  // the walk can act on (no form sent, no verdict), nothing more will come.
  const bool clicked = before < SessionState::kSubmitted && walk_.state == SessionState::kSubmitted;
  if (document.cut() && walk_.automatic && !closed_ && walk_.state != SessionState::kFinal && !clicked) {
    document.clearActions();
    if (engine_) engine_->stopLoading();
    killTimers();
    finishWithError(kMessagePageTooLarge);
    return;
  }
  if (engine_) {
    engine_->carryOut(document);
  } else {
    document.clearActions();
  }
}

void SubmissionSession::titleChange(const std::string& title) {
  if (!walk_.automatic) {
    if (frame_) frame_->showTitle(title);
    return;
  }
  if (closed_ || !walk_.record || walk_.state != SessionState::kSubmitted) return;
  const Verdict verdict = classifyAnswer(title, *walk_.record);
  if (verdict != kVerdictSuccess && verdict != kVerdictAlreadyListed) return;
  applyVerdict(verdict, *walk_.record);
  reportFinal(walk_);
  if (walk_.owned) closeSession();
}

void SubmissionSession::navigationError(const std::string&, const std::string&, uint32_t code,
                                        web::LoadScope scope) {
  if (closed_ || !walk_.record || !walk_.automatic) return;
  if (navigationErrorIgnored(walk_.record->name.view(), code, scope == web::LoadScope::kPage)) return;
  if (walk_.state != SessionState::kFinal) {
    // A code without a text leaves the previous message.
    if (const std::optional<std::string> message = navigationErrorMessage(code)) walk_.record->message = *message;
  }
  if (walk_.owned && engine_) engine_->stopLoading();
  finishWithError(nullptr);
}

void SubmissionSession::statusTextChange(const std::string& text) {
  statusText_ = text;
  if (core::asciiStartsWithNoCase(text, "Shortcut to")) return;
  if (frame_) frame_->showStatus(text);
  if (!core::asciiStartsWithNoCase(statusText_, "http:")) statusText_.clear();
}

void SubmissionSession::postProgress(bool finalReport) {
  if (!post_ || !walk_.record) return;
  core::Message message;
  message.id = core::MessageId::kSubmitProgress;
  message.record = walk_.record;
  message.param = finalReport ? 1 : 0;
  message.text = walk_.record->message.str();
  post_(std::move(message));
}

void SubmissionSession::stopLoading() {
  if (engine_) engine_->stopLoading();
}

void SubmissionSession::closeSession() {
  if (closed_) return;
  closed_ = true;
  killTimers();
  if (engine_) engine_->close();
  if (frame_) frame_->closeFrame();
}

}  // namespace larkspur::submit
