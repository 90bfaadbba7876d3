#pragma once
// What every submission of one run shares, whichever engine hosts its pages
// and whoever started it (the batch, a page of the browser pane, the command
// line): the profile forms are filled from, the word lists options are scored
// by, the run's stop signal and worker count, where sessions report, how long
// an automatic session may take and how direct requests fetch.
//
// Passed by reference; starters keep a copy, sessions take what they need, so
// a session never depends on the lifetime of the caller's context.

#include <chrono>

#include "core/coordination.h"
#include "core/event.h"
#include "core/messages.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "web/page_fetch.h"

namespace larkspur::submit {

// Time-out of an automatic session, from its start to its verdict.
inline constexpr std::chrono::milliseconds kSessionTimeOut{160'000};
// How often an automatic session looks at the stop signal.
inline constexpr std::chrono::milliseconds kStopPollPeriod{1'000};

struct SessionTimings {
  std::chrono::milliseconds timeOut = kSessionTimeOut;
  std::chrono::milliseconds stopPoll = kStopPollPeriod;
};

struct SubmissionContext {
  const core::WebsiteProfile* profile = nullptr;
  const core::WordLists* words = nullptr;
  // The stop signal and the worker count of the run; batches need one,
  // manual sessions use only its stop signal.
  core::Coordination* coordination = nullptr;
  core::Post post;  // where sessions and direct requests report
  SessionTimings timings;
  web::PageFetchOptions fetch;  // direct requests

  const core::Event* stopSignal() const { return coordination ? &coordination->stop : nullptr; }
};

}  // namespace larkspur::submit
