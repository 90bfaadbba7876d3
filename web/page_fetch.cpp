#include "web/page_fetch.h"

#include <cstring>
#include <string>
#include <thread>

#include "core/ascii_text.h"
#include "core/curl_support.h"
#include "core/fixed_text.h"
#include "web/network_state.h"
#include "web/transfer_setup.h"

namespace larkspur::web {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kChunkPause{1};

enum class Abort { None, Stopped, CapacityReached, Stalled, TooLong };

// What the callbacks share with the fetch for one transfer.
struct Transfer {
  char* buffer;
  uint32_t capacity;
  uint32_t& received;
  const core::Event& stop;
  std::chrono::milliseconds stallTimeout;
  std::chrono::milliseconds deadline;
  PageFetchAnswer* answer;

  // The current connection is established (set again for every connection a
  // redirect opens) and the current response has begun.
  bool connected = false;
  bool responseStarted = false;
  Abort abort = Abort::None;
  const Clock::time_point started = Clock::now();
  Clock::time_point lastActivity = started;
  curl_off_t lastDownloaded = 0;

  bool stopSeen() {
    if (!stop.isSet()) return false;
    abort = Abort::Stopped;
    return true;
  }
};

// A new socket is about to connect: what follows is a connection step again.
int onSocket(void* clientp, curl_socket_t, curlsocktype) {
  auto* t = static_cast<Transfer*>(clientp);
  t->connected = false;
  t->responseStarted = false;
  return CURL_SOCKOPT_OK;
}

// Connected, the request not yet sent: the checks after connecting and after
// opening the request.
int onConnected(void* clientp, char*, char*, int, int) {
  auto* t = static_cast<Transfer*>(clientp);
  t->connected = true;
  t->responseStarted = false;
  t->lastActivity = Clock::now();
  return t->stopSeen() ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
}

// Keeps the X-Robots-Tag values of the response under way; a status line
// starts a new response (after a redirect, or a 100 Continue).
void keepRobotsTag(PageFetchAnswer& answer, std::string_view line) {
  if (line.starts_with("HTTP/")) {
    answer.robotsTags.clear();
    return;
  }
  constexpr std::string_view kName = "x-robots-tag:";
  if (!core::asciiStartsWithNoCase(line, kName) || answer.robotsTags.size() >= kMaxRobotsTagHeaders) return;
  const std::string_view value = core::asciiTrimmed(line.substr(kName.size()));
  answer.robotsTags.emplace_back(value.substr(0, kMaxRobotsTagLength));
}

// The first header of a response means the request went out: the check after
// sending.
size_t onHeader(char* data, size_t size, size_t count, void* userdata) {
  auto* t = static_cast<Transfer*>(userdata);
  t->lastActivity = Clock::now();
  if (!t->responseStarted) {
    t->responseStarted = true;
    if (t->stopSeen()) return 0;
  }
  if (t->answer) keepRobotsTag(*t->answer, std::string_view(data, size * count));
  return size * count;
}

// One chunk of the body, at most 16384 bytes.
size_t onBody(char* data, size_t size, size_t count, void* userdata) {
  auto* t = static_cast<Transfer*>(userdata);
  const size_t length = size * count;
  if (length == 0) return 0;
  t->lastActivity = Clock::now();
  if (static_cast<uint64_t>(t->received) + length >= t->capacity) {
    t->abort = Abort::CapacityReached;
    return 0;
  }
  std::memcpy(t->buffer + t->received, data, length);
  t->received += static_cast<uint32_t>(length);
  std::this_thread::sleep_for(kChunkPause);
  return t->stopSeen() ? 0 : length;
}

// Called while the transfer runs, also when nothing arrives (about once a
// second): ends a transfer whose server has gone silent, one that has run past
// its deadline however little it trickles, and one whose job was stopped while
// it waits for a silent server, so Stop never waits for the stall time-out.
int onProgress(void* clientp, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(clientp);
  if (t->stopSeen()) return 1;
  Clock::time_point now = Clock::now();
  if (downloaded != t->lastDownloaded) {
    t->lastDownloaded = downloaded;
    t->lastActivity = now;
  }
  if (t->connected && now - t->lastActivity >= t->stallTimeout) {
    t->abort = Abort::Stalled;
    return 1;
  }
  if (now - t->started >= t->deadline) {
    t->abort = Abort::TooLong;
    return 1;
  }
  return 0;
}

void setErrorText(char* errorText, std::string_view text) {
  core::copyText(errorText, kFetchErrorTextCapacity, core::asciiTrimmed(text));
}

bool isRequestError(CURLcode code) {
  switch (code) {
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_NOT_BUILT_IN:
    case CURLE_OUT_OF_MEMORY:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_UNKNOWN_OPTION:
      return true;
    default:
      return false;
  }
}

}  // namespace

int32_t pageFetch(std::string_view url, char* buffer, uint32_t capacity, uint32_t& received,
                  char* errorText, const core::Event& stop, const PageFetchOptions& options,
                  int32_t* httpStatus, PageFetchAnswer* answer) {
  received = 0;
  if (httpStatus) *httpStatus = 0;
  if (answer) *answer = PageFetchAnswer{};
  const std::string urlText(url);

  // Split the URL first: the offline check needs its host.
  const core::CurlUrl parsed(curl_url());
  CURLUcode parseCode = CURLUE_OUT_OF_MEMORY;
  if (parsed) {
    parseCode = curl_url_set(parsed.get(), CURLUPART_URL, urlText.c_str(),
                             CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME);
  }
  const std::string host =
      parseCode == CURLUE_OK ? core::curlUrlPart(parsed.get(), CURLUPART_HOST).value_or(std::string()) : std::string();

  // 1. Offline.
  bool offline = options.offlineCheck ? options.offlineCheck(host)
                                      : (!isLoopbackHost(host) && machineIsOffline());
  if (offline) return kFetchOffline;

  // 2. Session.
  if (!core::curlGlobalInit()) return kFetchOffline;
  const core::CurlEasy easy(curl_easy_init());
  if (!easy) return kFetchOffline;

  // 3. The URL must name a server.
  if (parseCode != CURLUE_OK) {
    setErrorText(errorText, curl_url_strerror(parseCode));
    return kFetchRequestFailed;
  }

  Transfer transfer{buffer, capacity, received, stop, options.stallTimeout, options.deadline, answer};
  char curlError[CURL_ERROR_SIZE] = {};
  // No Accept header: the request carries no header of the program's own.
  core::CurlSlist headers;
  core::appendCurlHeader(headers, "Accept:");
  CURL* h = easy.get();

  CURLcode setup = CURLE_OK;
  auto set = [&setup](CURLcode code) {
    if (setup == CURLE_OK) setup = code;
  };
  set(curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curlError));
  set(applyTransferSetup(h, urlText, TransferSetup{kFetchAgent, options.connectTimeout, options.maxRedirects}));
  set(curl_easy_setopt(h, CURLOPT_HTTPGET, 1L));
  set(curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)));
  set(curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()));
  set(curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kFetchChunkSize)));
  set(curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, onSocket));
  set(curl_easy_setopt(h, CURLOPT_SOCKOPTDATA, &transfer));
  set(curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, onConnected));
  set(curl_easy_setopt(h, CURLOPT_PREREQDATA, &transfer));
  set(curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader));
  set(curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer));
  set(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody));
  set(curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer));
  set(curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress));
  set(curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer));
  set(curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L));
  if (setup != CURLE_OK || !headers) {
    setErrorText(errorText, curl_easy_strerror(setup != CURLE_OK ? setup : CURLE_OUT_OF_MEMORY));
    return kFetchRequestFailed;
  }

  // 4 to 10: connect, check the stop event, send, check again, read the body
  // chunk by chunk (see the callbacks).
  const CURLcode code = curl_easy_perform(h);
  long status = 0;
  if (httpStatus && curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) {
    *httpStatus = static_cast<int32_t>(status);
  }
  if (answer && transfer.responseStarted) {
    const char* text = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &text) == CURLE_OK && text) answer->finalUrl = text;
    text = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &text) == CURLE_OK && text) answer->contentType = text;
  }
  if (code == CURLE_OK) return kFetchComplete;

  std::string_view text = curlError[0] != '\0' ? std::string_view(curlError) : curl_easy_strerror(code);
  switch (transfer.abort) {
    case Abort::Stopped:
      setErrorText(errorText, kBreakByUser);
      return kFetchConnectFailed;
    case Abort::CapacityReached:
      return kFetchComplete;
    case Abort::Stalled:
      // Silence before any answer means the request got nowhere; silence in
      // the middle of an answer is a failed read.
      if (!transfer.responseStarted) setErrorText(errorText, curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));
      return kFetchSendFailed;
    case Abort::TooLong:
      setErrorText(errorText, kFetchTookTooLong);
      return kFetchSendFailed;
    case Abort::None:
      break;
  }
  if (isRequestError(code)) {
    setErrorText(errorText, text);
    return kFetchRequestFailed;
  }
  if (!transfer.connected) {
    setErrorText(errorText, text);
    return kFetchConnectFailed;
  }
  if (!transfer.responseStarted || code == CURLE_TOO_MANY_REDIRECTS) {
    setErrorText(errorText, text);
    return kFetchSendFailed;
  }
  // A failed read leaves the error text as the caller set it.
  return kFetchSendFailed;
}

}  // namespace larkspur::web
