#include "announce/indexnow.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "web/http_fetch.h"
#include "web/retry_after.h"
#include "core/ascii_text.h"
#include "core/curl_support.h"
#include "core/hex_text.h"
#include "core/website_profile.h"

namespace larkspur::announce {

namespace {

const Endpoint kEndpoints[] = {
    {"IndexNow", "https://api.indexnow.org/indexnow"},
    {"Bing", "https://www.bing.com/indexnow"},
    {"Yandex", "https://yandex.com/indexnow"},
    {"Seznam", "https://search.seznam.cz/indexnow"},
    {"Naver", "https://searchadvisor.naver.com/indexnow"},
    {"Yep", "https://indexnow.yep.com/indexnow"},
};

std::string escaped(std::string_view text) {
  return core::takeCurlText(curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size())));
}

}  // namespace

std::string generateKey() {
  std::array<unsigned char, 16> bytes{};
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return {};
    }
    filled += static_cast<std::size_t>(got);
  }
  return core::lowerHex(bytes);
}

bool isValidKey(std::string_view key) {
  if (key.size() < 8 || key.size() > 128) return false;
  return std::all_of(key.begin(), key.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
  });
}

std::span<const Endpoint> knownEndpoints() { return kEndpoints; }

std::optional<Endpoint> resolveEndpoint(std::string_view nameOrUrl, std::string& error) {
  for (const Endpoint& e : kEndpoints) {
    if (core::asciiEqualsNoCase(e.name, nameOrUrl)) return e;
  }
  std::string url(nameOrUrl);
  if (url.find("://") == std::string::npos) {
    error = "unknown endpoint '" + url + "': give IndexNow, Bing, Yandex, Seznam, Naver, Yep or an https URL";
    return std::nullopt;
  }
  if (!core::asciiStartsWithNoCase(url, "https://")) {
    error = "an endpoint is asked over https only, not '" + url + "'";
    return std::nullopt;
  }
  std::string host = core::hostOfUrl(url);
  if (host.empty() || url.find_first_of(" \t\r\n") != std::string::npos) {
    error = "'" + url + "' is not an endpoint URL";
    return std::nullopt;
  }
  std::size_t pathStart = url.find('/', 8);
  if (pathStart == std::string::npos) {
    url += "/indexnow";
  } else if (pathStart == url.size() - 1) {
    url += "indexnow";
  }
  return Endpoint{host, url};
}

std::string answerSentence(int code) {
  switch (code) {
    case 0:
      return "No answer came from the endpoint.";
    case 200:
      return "OK: the URLs were received.";
    case 202:
      return "Accepted: the URLs were received; the key is still being validated.";
    case 400:
      return "Bad request: the endpoint did not understand the request.";
    case 403:
      return "Forbidden: the key is not valid (the key file was not found or does not hold the key).";
    case 422:
      return "Unprocessable: URLs are not of this host, or the key does not match the format.";
    case 429:
      return "Too many requests: the endpoint asks to slow down.";
    default:
      return "Unexpected answer: HTTP " + std::to_string(code) + ".";
  }
}

std::string requestBody(std::string_view host, std::string_view key, std::string_view keyLocation,
                        std::span<const std::string> urls) {
  nlohmann::json body;
  body["host"] = std::string(host);
  body["key"] = std::string(key);
  body["keyLocation"] = std::string(keyLocation);
  body["urlList"] = nlohmann::json::array();
  for (const std::string& url : urls) body["urlList"].push_back(url);
  // Texts from a sitemap may not be UTF-8: replaced rather than refused.
  return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool RunHooks::waitFor(std::chrono::seconds duration) const {
  if (wait) return wait(duration);
  if (stop) return !stop->waitFor(duration);
  std::this_thread::sleep_for(duration);
  return true;
}

std::chrono::system_clock::time_point RunHooks::clock() const {
  return now ? now() : std::chrono::system_clock::now();
}

SubmitOutcome submitUrls(const Endpoint& endpoint, std::string_view host, std::string_view key,
                         std::string_view keyLocation, bool keyAtDefaultPlace,
                         std::span<const std::string> urls, const RunHooks& hooks) {
  SubmitOutcome outcome;
  web::HttpRequest request;
  request.timeout = std::chrono::seconds(60);
  request.maxBytes = 64 * 1024;
  if (urls.size() == 1) {
    request.url = endpoint.url + "?url=" + escaped(urls[0]) + "&key=" + escaped(key);
    if (!keyAtDefaultPlace) request.url += "&keyLocation=" + escaped(keyLocation);
  } else {
    request.method = "POST";
    request.url = endpoint.url;
    request.contentType = "application/json; charset=utf-8";
    request.body = requestBody(host, key, keyLocation, urls);
  }
  std::chrono::seconds backoff(5);
  while (true) {
    ++outcome.tries;
    web::HttpAnswer answer = web::httpFetch(request, hooks.stop);
    if (answer.stopped) {
      outcome.stopped = true;
      outcome.sentence = "Stopped.";
      return outcome;
    }
    outcome.code = answer.status;
    if (!answer.answered()) {
      outcome.sentence = "No answer came from the endpoint (" + answer.error + ").";
      return outcome;
    }
    outcome.sentence = answerSentence(answer.status);
    if (answer.status != 429) return outcome;
    std::optional<std::chrono::seconds> asked =
        web::retryAfterWait(answer.retryAfter, hooks.clock(), kMaxRetryWait + std::chrono::seconds(1));
    std::chrono::seconds delay = asked.value_or(backoff);
    backoff *= 2;
    if (outcome.tries >= kMaxTries) {
      outcome.sentence += " Gave up after " + std::to_string(outcome.tries) + " tries.";
      return outcome;
    }
    if (delay > kMaxRetryWait) {
      outcome.sentence += " It asks to wait " + std::to_string(delay.count()) + " seconds: try again later.";
      return outcome;
    }
    hooks.say("The endpoint asks to slow down: waiting " + std::to_string(delay.count()) +
              " seconds before try " + std::to_string(outcome.tries + 1) + " of " + std::to_string(kMaxTries));
    if (!hooks.waitFor(delay)) {
      outcome.stopped = true;
      outcome.sentence = "Stopped.";
      return outcome;
    }
  }
}

}  // namespace larkspur::announce
