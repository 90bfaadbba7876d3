#pragma once
// One request of the target check: a GET of a URL from an address the check
// resolved itself (libcurl makes no look-up of its own), redirects not
// followed, the body kept up to what a page may be.

#include <chrono>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "core/event.h"

namespace larkspur::health {

struct ProbeAnswer {
  CURLcode result = CURLE_OK;  // CURLE_ABORTED_BY_CALLBACK: stopped or out of time
  bool stopped = false;        // the stop event ended it
  long status = 0;             // HTTP status, 0 when none came
  std::string location;        // a redirect's target, absolute
  std::string body;            // at most web::kMaxPageBytes
  std::string contentType;
  std::string error;           // libcurl's text when result is not CURLE_OK
};

// The user agent the check presents: "Larkspur/VERSION (target check)".
std::string checkAgent();

// Fetches `url` from `addresses` (as text) on the URL's host and port, within
// `until`; ends within a second of `stop` being set.
ProbeAnswer probePage(const std::string& url, const std::string& host, int port,
                      const std::vector<std::string>& addresses, std::chrono::steady_clock::time_point until,
                      const core::Event& stop);

}  // namespace larkspur::health
