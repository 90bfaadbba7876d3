#include "submit/walk_session.h"

#include "core/fixed_text.h"

namespace larkspur::submit {

void reportProgress(WalkSession& session, const char* message) {
  if (session.record) session.record->message.assign(message);
  if (session.host) session.host->postProgress(false);
}

void reportFinal(WalkSession& session) {
  if (session.state != SessionState::kFinal && session.host) session.host->postProgress(true);
  session.state = SessionState::kFinal;
}

void markUrlFilled(WalkSession& session) {
  if (session.state < SessionState::kUrlFilled) session.state = SessionState::kUrlFilled;
}

}  // namespace larkspur::submit
