#pragma once
// One request to a service asked with the user's key (Bing Webmaster Tools,
// Open PageRank), through web::httpFetch: a refused key (401, 403) is told
// apart, and an answer that asks to slow down (429) is asked again after the
// wait its Retry-After names (cut to a limit; a default when it names none),
// waiting on the stop event, a bounded number of times. Redirects are not
// followed, so the key reaches no other host; neither the request nor the
// key ever reach a sentence made here.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/event.h"
#include "web/http_fetch.h"

namespace larkspur::links {

inline constexpr int kKeyedServiceTries = 5;
inline constexpr std::chrono::seconds kKeyedServiceMaxWait{60};
inline constexpr std::chrono::seconds kKeyedServiceDefaultWait{5};

struct KeyedCallPolicy {
  int tries = kKeyedServiceTries;                          // requests in all, the first included
  std::chrono::seconds maxWait = kKeyedServiceMaxWait;      // a longer Retry-After is cut to this
  std::chrono::seconds defaultWait = kKeyedServiceDefaultWait;  // when the answer names no wait
  // How long a second of waiting lasts: tests make it short.
  std::chrono::milliseconds second{1000};
};

enum class KeyedCallEnd {
  kAnswered,    // an answer other than a refusal or a request to slow down
  kRefused,     // the key was refused
  kThrottled,   // still asked to slow down after the last try
  kUnanswered,  // no answer, or one too large
  kStopped,
};

struct KeyedCall {
  KeyedCallEnd end = KeyedCallEnd::kUnanswered;
  web::HttpAnswer answer;  // the last one
  int tries = 0;
};

// What an answer's body says beyond its status: kRefused or kThrottled for
// a service that says so there, nothing otherwise.
using AnswerJudge = std::function<std::optional<KeyedCallEnd>(const web::HttpAnswer&)>;

KeyedCall callKeyedService(const web::HttpRequest& request, const core::Event* stop, const KeyedCallPolicy& policy,
                           const AnswerJudge& judge = {});

// The sentence for a call that did not end with a good answer ("The Bing
// Webmaster Tools key was refused."); `title` names the service. An answer
// with a status other than 200 is told by its status.
std::string keyedCallSentence(const KeyedCall& call, std::string_view title);

}  // namespace larkspur::links
