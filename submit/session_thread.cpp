#include "submit/session_thread.h"

#include <thread>

#include "submit/loop_timers.h"
#include "submit/submission_session.h"

namespace larkspur::submit {

namespace {

// The hidden window of a session running on its own thread: closing it ends
// the thread's loop.
class LoopFrame : public SessionFrame {
 public:
  void closeFrame() override { closed = true; }
  bool closed = false;
};

}  // namespace

void runAutomaticSession(core::EngineRecord& record, const SubmissionContext& context,
                         const web::HttpEngineOptions& options) {
  web::HttpEngine engine(options);
  LoopTimers timers;
  LoopFrame frame;
  SubmissionSession session(context, SessionSetup::automaticSession(record, engine, timers, frame));
  engine.setEvents(&session);
  engine.setIdleHook([&timers, &session] { return timers.fireDue(session); });

  session.start();
  while (!frame.closed) {
    if (engine.hasPending()) engine.runPending();
    if (frame.closed) break;
    const std::chrono::milliseconds wait = timers.fireDue(session);
    if (frame.closed) break;
    if (engine.hasPending()) continue;
    // Nothing to load and no timer left: nothing can happen any more.
    if (timers.empty()) break;
    std::this_thread::sleep_for(wait);
  }
  engine.close();
}

}  // namespace larkspur::submit
