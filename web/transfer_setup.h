#pragma once
// How Larkspur talks HTTP, said in one place: the options every libcurl
// transfer of the program gets, whichever client makes it (the page fetch,
// the HTTP engine, the announcement requests, the update download and the
// clients to come). What differs between them (agent, time-outs, redirects)
// is a field here; how the body is bounded stays with each client's sink,
// which counts the bytes as they arrive decoded.

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace larkspur::web {

struct TransferSetup {
  std::string agent;                                // User-Agent
  std::chrono::milliseconds connectTimeout{30'000};  // name resolution included
  long maxRedirects = 0;                            // 0: redirects are not followed
  // What was asked for over TLS is not followed to a plain connection.
  bool keepTls = false;
  // The longest time for the whole transfer; 0: none (the client watches the
  // time itself).
  std::chrono::milliseconds totalTimeout{0};
};

// Sets on `handle`: the URL, http and https only (for redirects too), the
// redirects as `setup` says, the time-outs, no signals, the agent. TLS peers
// are verified and proxies come from the environment (http_proxy,
// https_proxy, no_proxy), as libcurl does by default. Returns the first
// option that failed, or CURLE_OK.
CURLcode applyTransferSetup(CURL* handle, const std::string& url, const TransferSetup& setup);

}  // namespace larkspur::web
