#pragma once
// One HTTP request with a small answer (the announcement jobs, the services
// the link jobs ask with the user's key), through libcurl: bounded in
// time and size, ended within a second by the stop event, and sent to the
// service base when one is set (core/service_hosts.h), so that a mirror or a
// local test server answers for the website and the endpoints alike.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "core/event.h"

namespace larkspur::web {

struct HttpRequest {
  std::string url;          // as the website or endpoint names it
  std::string method = "GET";
  std::string body;         // POST only
  std::string contentType;  // POST only
  std::vector<std::string> headers;  // more header lines, "Name: value"
  bool followRedirects = true;       // false: a redirect is the answer (a request carrying a key)
  std::size_t maxBytes = 1024 * 1024;
  std::chrono::seconds timeout{30};
  std::chrono::seconds connectTimeout{10};
};

struct HttpAnswer {
  int status = 0;           // HTTP status; 0 when no answer came
  std::string body;
  std::string contentType;
  std::string retryAfter;   // the Retry-After header, when present
  std::string error;        // why no answer came, or why the body was cut off
  bool tooLarge = false;    // the body passed maxBytes and was not read further
  bool stopped = false;     // the stop event ended the request

  bool answered() const { return status != 0; }
};

// Sends the request to core::effectiveServiceUrl(request.url). Follows up to
// five redirects (http and https only) unless told not to. `stop` may be null.
HttpAnswer httpFetch(const HttpRequest& request, const core::Event* stop);

// "HTTP 404", or the reason no answer came.
std::string describeAnswer(const HttpAnswer& answer);

}  // namespace larkspur::web
