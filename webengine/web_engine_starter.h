#pragma once
// Starts a batch's targets for the batch dialog and larkspur-browser-submit:
// automatic targets as sessions on Qt WebEngine pages (on the GUI thread),
// direct-request targets as worker threads that request one address. Both count themselves in the
// worker count from the moment they are started. Reports reach the batch
// through the post callback, which delivers them on the GUI thread later.
//
// With a service base set, submit URLs and direct-request addresses go to it,
// as on the command line; the records themselves are left as they are.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <vector>

#include "core/coordination.h"
#include "core/messages.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/batch.h"
#include "submit/submission_session.h"
#include "web/page_fetch.h"

namespace larkspur::webengine {

class AutomaticSession;

// Direct requests run on the program's worker threads (see
// core::processWorkerThreads) and hand their outcome to the GUI thread, which
// writes it into the record and reports it only while the starter exists: a
// starter that goes (the batch dialog was cancelled) leaves them to end in the
// background without waiting for them.
class WebEngineStarter : public QObject, public submit::TargetStarter {
  Q_OBJECT

 public:
  // The context needs a coordination; the starter keeps a copy of it.
  explicit WebEngineStarter(const submit::SubmissionContext& context, QObject* parent = nullptr);
  // Closes the sessions still running; direct requests still running are
  // left to end by themselves and report nothing.
  ~WebEngineStarter() override;

  void startSession(core::EngineRecord& record) override;
  void startDirectRequest(core::EngineRecord& record) override;

  // Sessions that have not closed and direct requests that have not ended.
  int running() const;
  int runningSessions() const;
  std::vector<AutomaticSession*> sessions() const;
  // Closes every running session at once, without a report.
  void closeSessions();
  // Keeps the event loop running (without user input) until everything
  // started has ended or `timeoutMs` has passed; returns whether all ended.
  bool waitForAll(int timeoutMs);

 signals:
  void sessionClosed();

 private:
  submit::SubmissionContext context_;
  std::vector<QPointer<AutomaticSession>> sessions_;
  // One flag per direct request started, set when it has ended.
  std::vector<std::shared_ptr<std::atomic<bool>>> requests_;
  // Read and cleared on the GUI thread only: whether outcomes are still wanted.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace larkspur::webengine
