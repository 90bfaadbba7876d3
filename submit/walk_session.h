#pragma once
// What the page walk knows of one submission session: the target, whether the
// session runs unattended, how far it has come, the field-map tokens, the
// profile it fills from, and the host through which it reports progress and
// asks for the page to stop loading or the session to close. The session that
// owns the browser, the timers and the threads keeps one of these.

#include <string>
#include <vector>

#include "core/engine_record.h"
#include "core/website_profile.h"
#include "core/word_lists.h"

namespace larkspur::submit {

enum class SessionState : int {
  kNew = 0,        // nothing loaded yet
  kLoaded = 1,     // the first page has loaded ("Post data." reported)
  kUrlFilled = 2,  // a field received the website URL or host name
  kSubmitted = 3,  // a submit control was clicked
  kFinal = 4,      // decided; nothing more is filled, clicked, classified or reported
};

// The receiver of a session's requests. Implementations must not call back
// into the walk; requests are carried out after the walk returns or are
// posted.
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  // Reports that the record's message changed (false) or that its submit
  // state and message are final (true).
  virtual void postProgress(bool final_report) = 0;
  // Stops loading the page.
  virtual void stopLoading() = 0;
  // Closes the session's hidden window, which ends the session.
  virtual void closeSession() = 0;
};

struct WalkSession {
  core::EngineRecord* record = nullptr;           // the target; null once detached
  bool automatic = false;                         // started by the batch: clicks and classifies
  bool owned = false;                             // has a hidden window of its own to close
  SessionState state = SessionState::kNew;
  std::vector<std::string> tokens;                // the record's field-map tokens
  const core::WebsiteProfile* profile = nullptr;  // what fields are filled from
  const core::WordLists* words = nullptr;         // what list options are scored by
  SessionHost* host = nullptr;
};

// Writes `message` into the record and posts a progress report.
void reportProgress(WalkSession& session, const char* message);

// Posts the final report unless the session is already final, then makes it
// final: the final report goes out at most once per session.
void reportFinal(WalkSession& session);

// A field received the website URL or host name: a session that has not
// reached that point before moves to state 2. A session already past it
// stays where it is.
void markUrlFilled(WalkSession& session);

}  // namespace larkspur::submit
