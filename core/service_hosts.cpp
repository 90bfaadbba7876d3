#include "core/service_hosts.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <shared_mutex>

namespace larkspur::core {

namespace {

std::shared_mutex& baseMutex() {
  static std::shared_mutex mutex;
  return mutex;
}

std::string& baseValue() {
  static std::string value;
  return value;
}

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct PartDeleter {
  void operator()(char* part) const { curl_free(part); }
};

// The part of a parsed URL, or empty when it is absent.
std::string urlPart(CURLU* url, CURLUPart which) {
  char* raw = nullptr;
  if (curl_url_get(url, which, &raw, 0) != CURLUE_OK || raw == nullptr) return {};
  std::unique_ptr<char, PartDeleter> owned(raw);
  return std::string(raw);
}

bool isValidBase(const std::string& base) {
  std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  if (!url) return false;
  if (curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK) return false;
  std::string scheme = urlPart(url.get(), CURLUPART_SCHEME);
  if (scheme != "http" && scheme != "https") return false;
  if (urlPart(url.get(), CURLUPART_HOST).empty()) return false;
  std::string path = urlPart(url.get(), CURLUPART_PATH);
  if (!path.empty() && path != "/") return false;
  return urlPart(url.get(), CURLUPART_QUERY).empty() &&
         urlPart(url.get(), CURLUPART_FRAGMENT).empty() &&
         urlPart(url.get(), CURLUPART_USER).empty();
}

}  // namespace

std::string_view defaultServiceHost(Service service) {
  switch (service) {
    case Service::ToolbarQuery:
      return "http://toolbarqueries.google.com";
    case Service::GoogleSearch:
      return "http://www.google.com";
    case Service::YahooSiteExplorer:
      return "http://siteexplorer.search.yahoo.com";
    case Service::UpdateServer:
      // The new program file comes from here: only over TLS.
      return "https://update.norvella.com";
  }
  return {};
}

bool setServiceBase(std::string_view base) {
  std::string value(base);
  if (!value.empty()) {
    // The original text is checked, so "http://host//" is refused rather
    // than silently shortened.
    if (!isValidBase(value)) return false;
    if (value.back() == '/') value.pop_back();
  }
  std::unique_lock lock(baseMutex());
  baseValue() = std::move(value);
  return true;
}

std::string serviceBase() {
  std::shared_lock lock(baseMutex());
  return baseValue();
}

std::string effectiveServiceUrl(std::string_view defaultUrl) {
  std::string base = serviceBase();
  if (base.empty()) return std::string(defaultUrl);
  std::size_t schemeEnd = defaultUrl.find("://");
  if (schemeEnd == std::string_view::npos) return std::string(defaultUrl);
  std::size_t authorityEnd = defaultUrl.find_first_of("/?#", schemeEnd + 3);
  if (authorityEnd == std::string_view::npos) return base;
  return base + std::string(defaultUrl.substr(authorityEnd));
}

std::string serviceUrl(Service service, std::string_view pathAndQuery) {
  std::string url(defaultServiceHost(service));
  url += pathAndQuery;
  return effectiveServiceUrl(url);
}

}  // namespace larkspur::core
