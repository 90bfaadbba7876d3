#include "update/update_transfer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "core/curl_support.h"
#include "web/transfer_setup.h"

namespace larkspur::update {

namespace {

using Clock = std::chrono::steady_clock;

// Body bytes held for the reader before the transfer is paused.
constexpr std::size_t kHoldLimit = 8192;
constexpr int kPollMilliseconds = 50;
constexpr long kMaxRedirects = 5;

// The address as libcurl writes it back after parsing, or empty when it does
// not parse.
std::string canonicalUrl(std::string_view url) {
  const core::CurlUrl parsed = core::parsedCurlUrl(std::string(url));
  if (!parsed) return {};
  return core::curlUrlPart(parsed.get(), CURLUPART_URL).value_or(std::string());
}

std::string noAnswerWithin(std::chrono::milliseconds patience) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(patience).count();
  return "the server sent nothing for " + std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

struct UpdateTransfer::State {
  // Declared so that the easy handle goes first, then the multi handle, then
  // the header list the easy handle points to.
  core::CurlSlist headers;
  core::CurlMulti multi;
  core::CurlEasy easy;
  bool added = false;
  std::string url;
  std::string pending;  // body bytes not yet read
  bool paused = false;
  bool answered = false;  // the final answer's headers arrived with a 2xx status
  bool finished = false;
  CURLcode result = CURLE_OK;
  char error[CURL_ERROR_SIZE] = {};

  ~State() {
    if (added) curl_multi_remove_handle(multi.get(), easy.get());
  }

  static size_t onBody(char* data, size_t size, size_t count, void* userdata) {
    auto* s = static_cast<State*>(userdata);
    if (s->pending.size() >= kHoldLimit) {
      s->paused = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    s->pending.append(data, size * count);
    return size * count;
  }

  static size_t onHeader(char* data, size_t size, size_t count, void* userdata) {
    auto* s = static_cast<State*>(userdata);
    const std::string_view line(data, size * count);
    if (line == "\r\n" || line == "\n") {
      // End of one answer's headers; a redirect or an interim answer is
      // followed by another one.
      long status = 0;
      curl_easy_getinfo(s->easy.get(), CURLINFO_RESPONSE_CODE, &status);
      if (status >= 200 && status < 300) s->answered = true;
    }
    return size * count;
  }

  void resume() {
    if (!paused) return;
    paused = false;
    curl_easy_pause(easy.get(), CURLPAUSE_CONT);
  }

  // Lets the transfer make progress; waits briefly for the network only when
  // that brought nothing new.
  void pump() {
    const std::size_t before = pending.size();
    const bool answeredBefore = answered;
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      finished = true;
      result = CURLE_RECV_ERROR;
      return;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) {
        finished = true;
        result = message->data.result;
      }
    }
    if (finished || paused || pending.size() != before || answered != answeredBefore) return;
    curl_multi_poll(multi.get(), nullptr, 0, kPollMilliseconds, nullptr);
  }
};

UpdateTransfer::UpdateTransfer(UpdateTransferOptions options) : options_(options) {}

UpdateTransfer::~UpdateTransfer() = default;

bool UpdateTransfer::fail(std::string why) {
  failure_ = std::move(why);
  return false;
}

std::string UpdateTransfer::transferFailure() const {
  const State& s = *state_;
  long status = 0;
  curl_easy_getinfo(s.easy.get(), CURLINFO_RESPONSE_CODE, &status);
  if (s.result == CURLE_HTTP_RETURNED_ERROR || (s.result == CURLE_OK && status >= 300)) {
    return "the server answered HTTP " + std::to_string(status);
  }
  if (s.error[0] != '\0') return s.error;
  return curl_easy_strerror(s.result == CURLE_OK ? CURLE_RECV_ERROR : s.result);
}

bool UpdateTransfer::open(std::string_view url, const core::Event* cancel) {
  if (state_) return false;
  if (!core::curlGlobalInit()) return fail("the network library could not start");
  state_ = std::make_unique<State>();
  State& s = *state_;
  s.url = canonicalUrl(url);
  if (s.url.empty()) return fail("its address is not valid");
  s.multi.reset(curl_multi_init());
  s.easy.reset(curl_easy_init());
  if (!s.multi || !s.easy) return fail("the network library could not start");

  const std::string agent(kUpdateAgentName);
  CURL* h = s.easy.get();
  CURLcode setup = CURLE_OK;
  auto set = [&setup](CURLcode code) {
    if (setup == CURLE_OK) setup = code;
  };
  web::TransferSetup transfer;
  transfer.agent = agent;
  transfer.connectTimeout = options_.connectTimeout;
  transfer.maxRedirects = kMaxRedirects;
  // What was asked for over TLS is never followed to a plain connection.
  transfer.keepTls = true;
  set(web::applyTransferSetup(h, s.url, transfer));
  set(curl_easy_setopt(h, CURLOPT_HTTPGET, 1L));
  set(curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L));
  // Always the server's current copy, never one from a cache on the way.
  for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    if (!core::appendCurlHeader(s.headers, header)) return false;
  }
  set(curl_easy_setopt(h, CURLOPT_HTTPHEADER, s.headers.get()));
  set(curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kHoldLimit)));
  set(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &State::onBody));
  set(curl_easy_setopt(h, CURLOPT_WRITEDATA, &s));
  set(curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &State::onHeader));
  set(curl_easy_setopt(h, CURLOPT_HEADERDATA, &s));
  set(curl_easy_setopt(h, CURLOPT_ERRORBUFFER, s.error));
  if (setup != CURLE_OK) return fail(curl_easy_strerror(setup));
  if (curl_multi_add_handle(s.multi.get(), h) != CURLM_OK) return fail("the network library could not start");
  s.added = true;

  const std::chrono::milliseconds patience = options_.connectTimeout + options_.stallTimeout;
  const Clock::time_point deadline = Clock::now() + patience;
  while (!s.answered && !s.finished) {
    if (cancel != nullptr && cancel->isSet()) return false;
    if (Clock::now() >= deadline) return fail(noAnswerWithin(patience));
    s.pump();
  }
  return s.answered || fail(transferFailure());
}

int64_t UpdateTransfer::read(char* buffer, std::size_t capacity, const core::Event* cancel) {
  if (!state_ || !state_->answered) return -1;
  State& s = *state_;
  Clock::time_point deadline = Clock::now() + options_.stallTimeout;
  for (;;) {
    if (!s.pending.empty()) {
      const std::size_t n = std::min(capacity, s.pending.size());
      std::memcpy(buffer, s.pending.data(), n);
      s.pending.erase(0, n);
      if (s.pending.size() < kHoldLimit) s.resume();
      return static_cast<int64_t>(n);
    }
    if (s.finished) return s.result == CURLE_OK ? 0 : (fail(transferFailure()), -1);
    if (cancel != nullptr && cancel->isSet()) return -1;
    if (Clock::now() >= deadline) return (fail(noAnswerWithin(options_.stallTimeout)), -1);
    s.resume();
    s.pump();
  }
}

}  // namespace larkspur::update
