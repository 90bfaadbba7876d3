#include "health/page_probe.h"

#include <algorithm>

#include "core/curl_support.h"
#include "larkspur_version.h"
#include "web/document.h"
#include "web/transfer_setup.h"

namespace larkspur::health {

namespace {

using Clock = std::chrono::steady_clock;

struct Transfer {
  ProbeAnswer* answer;
  Clock::time_point until;
  const core::Event* stop;
};

std::size_t keepBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  std::string& body = transfer->answer->body;
  const std::size_t bytes = size * count;
  // What a page may be is kept; the rest of a larger page is not read.
  const std::size_t room = web::kMaxPageBytes - std::min(body.size(), web::kMaxPageBytes);
  body.append(data, std::min(bytes, room));
  return bytes <= room ? bytes : 0;
}

int watch(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->stop->isSet()) {
    transfer->answer->stopped = true;
    return 1;
  }
  return Clock::now() >= transfer->until ? 1 : 0;
}

// "host:port:addr,addr" as CURLOPT_RESOLVE takes it; IPv6 in brackets.
std::string resolveEntry(const std::string& host, int port, const std::vector<std::string>& addresses) {
  std::string entry = host + ":" + std::to_string(port) + ":";
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    if (i > 0) entry += ",";
    const bool v6 = addresses[i].find(':') != std::string::npos;
    entry += v6 ? "[" + addresses[i] + "]" : addresses[i];
  }
  return entry;
}

}  // namespace

std::string checkAgent() { return std::string("Larkspur/") + LARKSPUR_VERSION + " (target check)"; }

ProbeAnswer probePage(const std::string& url, const std::string& host, int port,
                      const std::vector<std::string>& addresses, Clock::time_point until,
                      const core::Event& stop) {
  ProbeAnswer answer;
  if (!core::curlGlobalInit()) {
    answer.result = CURLE_FAILED_INIT;
    answer.error = "the network library could not be set up";
    return answer;
  }
  core::CurlEasy handle(curl_easy_init());
  core::CurlSlist resolve;
  if (!handle || !core::appendCurlHeader(resolve, resolveEntry(host, port, addresses).c_str())) {
    answer.result = CURLE_OUT_OF_MEMORY;
    answer.error = curl_easy_strerror(answer.result);
    return answer;
  }
  const auto left = std::max<long long>(
      1, std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
  web::TransferSetup setup;
  setup.agent = checkAgent();
  setup.connectTimeout = std::chrono::milliseconds(left);
  setup.totalTimeout = std::chrono::milliseconds(left);
  setup.maxRedirects = 0;  // each hop is resolved and judged by the check
  Transfer transfer{&answer, until, &stop};
  CURL* h = handle.get();
  CURLcode set = web::applyTransferSetup(h, url, setup);
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_RESOLVE, resolve.get());
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, keepBody);
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, watch);
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  // A page as a person opening it would get it; libcurl decodes what it
  // offers, and the sink counts the decoded bytes.
  if (set == CURLE_OK) set = curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
  if (set != CURLE_OK) {
    answer.result = set;
    answer.error = curl_easy_strerror(set);
    return answer;
  }
  char errorText[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
  answer.result = curl_easy_perform(h);
  // A page cut at what a page may be is read as far as it came.
  if (answer.result == CURLE_WRITE_ERROR && answer.body.size() >= web::kMaxPageBytes) answer.result = CURLE_OK;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &answer.status);
  if (const char* location = nullptr; curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location) {
    answer.location = location;
  }
  if (const char* type = nullptr; curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
    answer.contentType = type;
  }
  if (answer.result != CURLE_OK) answer.error = errorText[0] ? errorText : curl_easy_strerror(answer.result);
  return answer;
}

}  // namespace larkspur::health
