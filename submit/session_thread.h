#pragma once
// An automatic submission session on the calling thread, with an HTTP engine
// of its own: the thread's loop loads pages, fires the session's time-out and
// stop poll, and returns once the session has closed.

#include "core/engine_record.h"
#include "submit/submission_context.h"
#include "web/http_engine.h"

namespace larkspur::submit {

// Submits to `record` and returns when the session has closed: after its
// verdict, a navigation error, the time-out or the stop signal. The worker
// count is the caller's business.
void runAutomaticSession(core::EngineRecord& record, const SubmissionContext& context,
                         const web::HttpEngineOptions& engine = {});

}  // namespace larkspur::submit
