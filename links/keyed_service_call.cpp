#include "links/keyed_service_call.h"

#include <algorithm>

#include "web/retry_after.h"

namespace larkspur::links {

KeyedCall callKeyedService(const web::HttpRequest& keyed, const core::Event* stop, const KeyedCallPolicy& policy,
                           const AnswerJudge& judge) {
  // The key goes to the service's host alone, never on to where a redirect points.
  web::HttpRequest request = keyed;
  request.followRedirects = false;
  KeyedCall call;
  const core::Event neverSet;
  const core::Event& stopEvent = stop ? *stop : neverSet;
  while (true) {
    ++call.tries;
    call.answer = web::httpFetch(request, stop);
    if (call.answer.stopped) {
      call.end = KeyedCallEnd::kStopped;
      return call;
    }
    if (!call.answer.answered() || call.answer.tooLarge) {
      call.end = KeyedCallEnd::kUnanswered;
      return call;
    }
    std::optional<KeyedCallEnd> said;
    if (call.answer.status == 401 || call.answer.status == 403) said = KeyedCallEnd::kRefused;
    if (call.answer.status == 429) said = KeyedCallEnd::kThrottled;
    if (!said && judge) said = judge(call.answer);
    if (!said) {
      call.end = KeyedCallEnd::kAnswered;
      return call;
    }
    call.end = *said;
    if (call.end != KeyedCallEnd::kThrottled || call.tries >= policy.tries) return call;

    const std::chrono::seconds asked =
        web::retryAfterWait(call.answer.retryAfter, std::chrono::system_clock::now(), policy.maxWait)
            .value_or(policy.defaultWait);
    const std::chrono::seconds wait = std::clamp(asked, std::chrono::seconds(0), policy.maxWait);
    if (stopEvent.waitFor(wait.count() * policy.second)) {
      call.end = KeyedCallEnd::kStopped;
      return call;
    }
  }
}

std::string keyedCallSentence(const KeyedCall& call, std::string_view title) {
  const std::string name(title);
  switch (call.end) {
    case KeyedCallEnd::kRefused:
      return "The " + name + " key was refused.";
    case KeyedCallEnd::kThrottled:
      return name + " still asked to slow down after " + std::to_string(call.tries) + " tries: try again later.";
    case KeyedCallEnd::kStopped:
      return "Stopped.";
    case KeyedCallEnd::kUnanswered:
      if (call.answer.tooLarge) return name + " sent too much: " + call.answer.error + ".";
      return name + " did not answer (" + call.answer.error + ").";
    case KeyedCallEnd::kAnswered:
      break;
  }
  return name + " answered " + web::describeAnswer(call.answer) + ".";
}

}  // namespace larkspur::links
