#pragma once
// An automatic submission session on Qt WebEngine: a hidden QWebEnginePage
// in an off-the-record profile of its own, driven by the engine-agnostic
// submission session on the GUI thread, with the session's time-out and stop
// poll as QTimers. It counts itself in the worker count from
// construction until it is destroyed, and destroys itself (later, from the
// event loop) once the session closes its frame: after a verdict, a
// navigation error, the time-out or the stop signal. Page dialogs are
// suppressed and new windows refused.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "core/coordination.h"
#include "core/engine_record.h"
#include "core/messages.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/submission_session.h"

class QTimer;
class QWebEngineProfile;

namespace larkspur::webengine {

class SessionPage;
class WebEngineBrowser;

class AutomaticSession : public QObject, private submit::SessionTimers, private submit::SessionFrame {
  Q_OBJECT

 public:
  // The context needs a coordination. `addressMap` maps the record's submit
  // URL to the address loaded (the service base); none loads it as it is.
  AutomaticSession(core::EngineRecord& record, const submit::SubmissionContext& context,
                   std::function<std::string(std::string_view)> addressMap = {}, QObject* parent = nullptr);
  ~AutomaticSession() override;

  // Loads the record's submit URL and starts the two timers.
  void start();

  const submit::SubmissionSession& session() const { return *session_; }
  SessionPage* page() const { return page_; }
  bool closing() const { return closing_; }
  // Ends the session now, as the stop signal would at its next poll.
  void closeNow();

 signals:
  // The session has closed; the object goes away from the event loop.
  void closed(AutomaticSession* session);

 private:
  void startTimer(submit::SessionTimer timer, std::chrono::milliseconds period) override;
  void killTimer(submit::SessionTimer timer) override;
  void closeFrame() override;
  QTimer* timer(submit::SessionTimer which) const;

  core::CountedWorker counted_;
  QWebEngineProfile* profile_ = nullptr;
  SessionPage* page_ = nullptr;
  std::unique_ptr<WebEngineBrowser> browser_;
  std::unique_ptr<submit::SubmissionSession> session_;
  QTimer* timeOut_ = nullptr;
  QTimer* stopPoll_ = nullptr;
  bool closing_ = false;
};

}  // namespace larkspur::webengine
