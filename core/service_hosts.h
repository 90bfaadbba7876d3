#pragma once
// Where the external services live. Each service has a default scheme and host
// here; a single "service base" (for example "http://127.0.0.1:8080", a mirror
// or a test server) replaces the scheme, host and port of every service URL
// when it is set. Reads and writes are safe from any thread.

#include <string>
#include <string_view>

namespace larkspur::core {

enum class Service {
  ToolbarQuery,       // toolbar PageRank queries
  GoogleSearch,       // back-link search on Google
  YahooSiteExplorer,  // back-link search on Yahoo Site Explorer
  UpdateServer,       // update description file and new program
  BingWebmaster,      // Bing Webmaster Tools' JSON API: the site's backlinks
  OpenPageRank,       // Open PageRank: domain ranks
};

// The default "scheme://host" of a service, without a trailing slash.
std::string_view defaultServiceHost(Service service);

// Sets the service base: "scheme://host[:port]" with an http or https scheme
// and at most a trailing "/" as path. An empty text clears it. Returns false
// and leaves the setting unchanged for anything else.
bool setServiceBase(std::string_view base);
// The current service base without a trailing slash, or empty when unset.
std::string serviceBase();

// Maps a default service URL to the one to use: with a service base set, the
// URL's scheme, host and port are replaced by the base and the rest (path,
// query, fragment) is kept; otherwise, or for a text with no "://", the URL is
// returned unchanged.
std::string effectiveServiceUrl(std::string_view defaultUrl);

// effectiveServiceUrl(defaultServiceHost(service) + pathAndQuery).
std::string serviceUrl(Service service, std::string_view pathAndQuery);

}  // namespace larkspur::core
