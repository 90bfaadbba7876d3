#include "web/http_fetch.h"

#include "core/ascii_text.h"
#include "core/curl_support.h"
#include "core/service_hosts.h"
#include "web/transfer_setup.h"

namespace larkspur::web {

namespace {

constexpr char kRequestAgent[] = "Larkspur";
constexpr long kRequestMaxRedirects = 5;

struct Transfer {
  HttpAnswer* answer;
  std::size_t maxBytes;
  const core::Event* stop;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (t->answer->body.size() + bytes > t->maxBytes) {
    t->answer->tooLarge = true;
    return 0;  // ends the transfer
  }
  t->answer->body.append(data, bytes);
  return bytes;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  const std::string_view line(data, bytes);
  // A redirect's headers come first: each new status line starts afresh.
  if (line.starts_with("HTTP/")) t->answer->retryAfter.clear();
  const std::size_t colon = line.find(':');
  if (colon != std::string_view::npos && core::asciiEqualsNoCase(line.substr(0, colon), "retry-after")) {
    t->answer->retryAfter = std::string(core::asciiTrimmed(line.substr(colon + 1)));
  }
  return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  return (t->stop && t->stop->isSet()) ? 1 : 0;
}

}  // namespace

HttpAnswer httpFetch(const HttpRequest& request, const core::Event* stop) {
  core::curlGlobalInit();
  HttpAnswer answer;
  if (stop && stop->isSet()) {
    answer.stopped = true;
    answer.error = "stopped";
    return answer;
  }
  const core::CurlEasy curl(curl_easy_init());
  if (!curl) {
    answer.error = "the HTTP library could not start";
    return answer;
  }
  const std::string url = core::effectiveServiceUrl(request.url);
  Transfer transfer{&answer, request.maxBytes, stop};
  core::CurlSlist headers;
  CURL* c = curl.get();
  TransferSetup setup;
  setup.agent = kRequestAgent;
  setup.connectTimeout = request.connectTimeout;
  setup.maxRedirects = request.followRedirects ? kRequestMaxRedirects : 0;
  setup.totalTimeout = request.timeout;
  applyTransferSetup(c, url, setup);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
  if (request.method == "POST") {
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.c_str());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    if (!request.contentType.empty()) core::appendCurlHeader(headers, ("Content-Type: " + request.contentType).c_str());
  }
  for (const std::string& header : request.headers) core::appendCurlHeader(headers, header.c_str());
  if (headers) curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  CURLcode rc = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  char* type = nullptr;
  if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) answer.contentType = type;
  if (rc == CURLE_ABORTED_BY_CALLBACK) {
    answer.stopped = true;
    answer.error = "stopped";
    answer.status = 0;
    return answer;
  }
  if (answer.tooLarge) {
    answer.status = static_cast<int>(status);
    answer.error = "the answer is larger than " + std::to_string(request.maxBytes) + " bytes";
    return answer;
  }
  if (rc != CURLE_OK) {
    answer.error = curl_easy_strerror(rc);
    return answer;
  }
  answer.status = static_cast<int>(status);
  return answer;
}

std::string describeAnswer(const HttpAnswer& answer) {
  if (answer.stopped) return "stopped";
  if (answer.tooLarge) return answer.error;
  if (!answer.answered()) return "unreachable (" + answer.error + ")";
  return "HTTP " + std::to_string(answer.status);
}

}  // namespace larkspur::web
