#pragma once
// The page fetch: one blocking HTTP GET of a URL into a caller's buffer,
// watching a stop event between its steps and after every chunk.
//
// The request is HTTP/1.0 with the agent "Microsoft Internet Explorer" and no
// headers of the program's own; the proxy comes from the usual environment
// variables (http_proxy, https_proxy, no_proxy). Redirects are followed, a
// port written in the URL is used, and an HTTP error status still counts as a
// completed transfer: its body is returned with result 0 (the status itself is
// handed back to callers that ask for it).
//
// Any number of fetches may run at once on different threads; they share
// nothing but the stop event, which is only read.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/event.h"

namespace larkspur::web {

// Result codes.
inline constexpr int32_t kFetchComplete = 0;        // end of body, or capacity reached
inline constexpr int32_t kFetchSendFailed = 3;      // request failed, or a read failed
inline constexpr int32_t kFetchOffline = 4;         // offline, or no session could be opened
inline constexpr int32_t kFetchConnectFailed = -1;  // no connection, or stopped
inline constexpr int32_t kFetchRequestFailed = -2;  // the request could not be built

inline constexpr std::size_t kFetchErrorTextCapacity = 260;  // NUL included
inline constexpr std::size_t kFetchChunkSize = 16384;
inline constexpr char kFetchAgent[] = "Microsoft Internet Explorer";
inline constexpr char kBreakByUser[] = "Break by user!";
inline constexpr char kFetchTookTooLong[] = "The page took too long to arrive";

inline constexpr std::chrono::milliseconds kFetchConnectTimeout{30'000};
inline constexpr std::chrono::milliseconds kFetchStallTimeout{60'000};
inline constexpr std::chrono::milliseconds kFetchDeadline{120'000};
inline constexpr long kFetchMaxRedirects = 10;

struct PageFetchOptions {
  // Longest wait for a connection (name resolution included).
  std::chrono::milliseconds connectTimeout = kFetchConnectTimeout;
  // Longest time without a single byte from the server once connected. It is
  // checked about once a second, so shorter values act with up to a second's
  // delay.
  std::chrono::milliseconds stallTimeout = kFetchStallTimeout;
  // Longest time for the whole fetch, redirects included: a server that keeps
  // sending a byte now and then never stalls, so this is what ends it. Also
  // checked about once a second.
  std::chrono::milliseconds deadline = kFetchDeadline;
  long maxRedirects = kFetchMaxRedirects;
  // Decides whether the machine is offline, given the URL's host. Empty: the
  // route tables are consulted (see network_state.h), except for loopback
  // hosts, which are always reachable.
  std::function<bool(std::string_view host)> offlineCheck;
};

// What a fetch learnt of the last response beside its body and status.
struct PageFetchAnswer {
  std::string finalUrl;     // the address it came from, redirects followed
  std::string contentType;  // its Content-Type value
  // Its X-Robots-Tag values, one per header line: at most
  // kMaxRobotsTagHeaders of them, each cut at kMaxRobotsTagLength bytes.
  std::vector<std::string> robotsTags;
};
inline constexpr std::size_t kMaxRobotsTagHeaders = 16;
inline constexpr std::size_t kMaxRobotsTagLength = 512;

// Fetches `url` into `buffer`. `received` is set to 0 first and then counts
// the bytes stored; a chunk that would make it reach `capacity` is not stored
// and ends the fetch with result 0, so the stored bytes are always fewer than
// the capacity. `errorText` (capacity 260) is written only where the result
// says so: the client library's text on a connection, request or send
// failure, "Break by user!" when the stop event was seen set, "The page took
// too long to arrive" (result 3) when the deadline passed; it is left
// unchanged on result 0, on result 4 and on a failed read of the body.
// `httpStatus`, when given, is set to the HTTP status of the last response
// that began (the final one after redirects), 0 when none did; `answer`,
// when given, is filled as far as a response began.
//
// Returns 0, 3, 4, -1 or -2 as the constants above describe.
int32_t pageFetch(std::string_view url, char* buffer, uint32_t capacity, uint32_t& received,
                  char* errorText, const core::Event& stop, const PageFetchOptions& options = {},
                  int32_t* httpStatus = nullptr, PageFetchAnswer* answer = nullptr);

}  // namespace larkspur::web
