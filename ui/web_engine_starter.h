#pragma once
// Starts a batch's targets in the desktop program: automatic targets as
// sessions on Qt WebEngine pages (on the GUI thread), direct-request targets
// as worker threads that request one address. Both count themselves in the
// worker count from the moment they are started. Reports reach the batch
// through the post callback, which delivers them on the GUI thread later.
//
// With a service base set, submit URLs and direct-request addresses go to it,
// as on the command line; the records themselves are left as they are.

#include <QObject>
#include <QPointer>
#include <memory>
#include <thread>
#include <vector>

#include "core/coordination.h"
#include "core/messages.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/batch.h"
#include "submit/page_fetch.h"
#include "submit/submission_session.h"

namespace larkspur::ui {

class AutomaticSession;

struct WebEngineStarterSettings {
  const core::WebsiteProfile* profile = nullptr;
  const core::WordLists* words = nullptr;
  core::Coordination* coordination = nullptr;
  core::Post post;
  submit::SessionTimings timings;
  submit::PageFetchOptions fetch;  // direct requests
};

class WebEngineStarter : public QObject, public submit::TargetStarter {
  Q_OBJECT

 public:
  explicit WebEngineStarter(WebEngineStarterSettings settings, QObject* parent = nullptr);
  // Waits for the direct requests; sessions still running are closed.
  ~WebEngineStarter() override;

  void startSession(core::EngineRecord& record) override;
  void startDirectRequest(core::EngineRecord& record) override;

  // Sessions that have not closed and direct requests that have not ended.
  int running() const;
  int runningSessions() const;
  std::vector<AutomaticSession*> sessions() const;
  // Keeps the event loop running (without user input) until everything
  // started has ended or `timeoutMs` has passed; returns whether all ended.
  bool waitForAll(int timeoutMs);

 signals:
  void sessionClosed();

 private:
  struct DirectRequest;

  WebEngineStarterSettings settings_;
  std::vector<QPointer<AutomaticSession>> sessions_;
  std::vector<std::shared_ptr<DirectRequest>> requests_;
};

}  // namespace larkspur::ui
