#include "core/service_hosts.h"

#include <mutex>
#include <shared_mutex>

#include "core/curl_support.h"

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

// The part of a parsed URL, or empty when it is absent.
std::string urlPart(CURLU* url, CURLUPart which) { return curlUrlPart(url, which).value_or(std::string()); }

bool isValidBase(const std::string& base) {
  const CurlUrl url = parsedCurlUrl(base);
  if (!url) return false;
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
    // The user's key goes with every request to these two: only over TLS.
    case Service::BingWebmaster:
      return "https://ssl.bing.com";
    case Service::OpenPageRank:
      return "https://openpagerank.com";
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
