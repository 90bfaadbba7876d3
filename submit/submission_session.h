#pragma once
// One submission of the Website profile to one target, whatever browser
// engine hosts its pages. The session drives its engine (load the add-URL
// page, stop, close, carry out what the page walk did) and reacts to what the
// engine reports: each completed document is walked, title changes and
// element texts are classified once the form was sent, navigation errors end
// the submission unless the target is known to answer with them, a time-out
// ends a submission that never decides, and the stop signal closes it.
//
// Automatic sessions (started by the batch) click, classify, time out and
// close themselves; manual sessions (a page the user completes) only fill the
// form on every load. Outcomes go into the Engine record; progress and the
// final report are posted to the record's receiver, the final report at most
// once.
//
// Not thread-safe: the engine, the timers and the frame call the session on
// one thread (the session's own, or the GUI thread).

#include <chrono>
#include <cstdint>
#include <string>

#include "core/engine_record.h"
#include "core/event.h"
#include "core/messages.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/submission_context.h"
#include "submit/walk_session.h"
#include "web/browser_engine.h"

namespace larkspur::submit {

enum class SessionTimer : int {
  kTimeOut = 1,   // once, after SessionTimings::timeOut
  kStopPoll = 2,  // repeatedly, every SessionTimings::stopPoll
};

// The timers of the thread the session runs on. A started timer fires
// onTimer() every `period` until it is killed.
class SessionTimers {
 public:
  virtual ~SessionTimers() = default;
  virtual void startTimer(SessionTimer timer, std::chrono::milliseconds period) = 0;
  virtual void killTimer(SessionTimer timer) = 0;
};

// What holds the session's page: the hidden window of an automatic session
// (closing it ends the session and its thread) or a page of the browser pane.
class SessionFrame {
 public:
  virtual ~SessionFrame() = default;
  virtual void closeFrame() = 0;
  // Manual sessions show the page title in the frame's caption.
  virtual void showTitle(const std::string& title) { (void)title; }
  // Status texts other than link addresses go to the frame's status bar.
  virtual void showStatus(const std::string& text) { (void)text; }
};

// What belongs to one session alone; what it shares with the rest of the run
// comes from the SubmissionContext.
struct SessionSetup {
  core::EngineRecord* record = nullptr;
  bool automatic = true;
  // Has a window of its own to close (automatic sessions); a session that
  // ends by time-out or navigation error then also lets go of its record.
  bool owned = true;
  web::BrowserEngine* engine = nullptr;
  SessionTimers* timers = nullptr;  // automatic sessions
  SessionFrame* frame = nullptr;

  // An automatic session on `engine`: its frame is a window of its own.
  static SessionSetup automaticSession(core::EngineRecord& record, web::BrowserEngine& engine, SessionTimers& timers,
                                       SessionFrame& frame) {
    return {&record, true, true, &engine, &timers, &frame};
  }
  // A session the user drives in a page of the browser pane.
  static SessionSetup manualSession(core::EngineRecord& record, web::BrowserEngine& engine, SessionFrame& frame) {
    return {&record, false, false, &engine, nullptr, &frame};
  }
};

class SubmissionSession : public SessionHost, public web::BrowserEvents {
 public:
  SubmissionSession(const SubmissionContext& context, const SessionSetup& setup);
  SubmissionSession(const SubmissionSession&) = delete;
  SubmissionSession& operator=(const SubmissionSession&) = delete;

  // Builds the field-map tokens, loads the record's submit URL and runs the
  // initial update.
  void start();
  // Starts the time-out and the stop poll (automatic sessions).
  void initialUpdate();
  void onTimer(SessionTimer timer);

  // Engine notifications.
  void navigationStarting(const std::string& url) override;
  void documentComplete(web::Document& document) override;
  void titleChange(const std::string& title) override;
  void navigationError(const std::string& url, const std::string& frame, uint32_t code,
                       web::LoadScope scope) override;
  void statusTextChange(const std::string& text) override;

  // Requests of the page walk.
  void postProgress(bool finalReport) override;
  void stopLoading() override;
  void closeSession() override;

  SessionState state() const { return walk_.state; }
  core::EngineRecord* record() const { return walk_.record; }
  bool closed() const { return closed_; }
  const std::string& currentAddress() const { return currentAddress_; }
  const std::string& statusText() const { return statusText_; }

 private:
  void finishWithError(const char* message);
  void killTimers();

  WalkSession walk_;
  web::BrowserEngine* engine_;
  SessionTimers* timers_;
  SessionFrame* frame_;
  core::Post post_;
  const core::Event* stop_;
  SessionTimings timings_;
  std::string currentAddress_;
  std::string statusText_;
  bool closed_ = false;
};

}  // namespace larkspur::submit
