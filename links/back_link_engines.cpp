#include "links/back_link_engines.h"

#include "core/service_hosts.h"

namespace larkspur::links {

namespace {

constexpr char kMsnHost[] = "http://search.msn.com";

}  // namespace

bool backLinkEngineEnabled(int32_t engine) { return engine == kEngineGoogle || engine == kEngineYahoo; }

int32_t backLinkOffsetStep(int32_t engine) {
  return (engine == kEngineGoogle || engine == kEngineYahoo) ? kBackLinkOffsetStep : 0;
}

std::string fillQueryTemplate(std::string_view pattern, std::string_view host, int32_t offset) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      out += pattern[i];
      continue;
    }
    const char directive = pattern[++i];
    if (directive == 's') out += host;
    else if (directive == 'd') out += std::to_string(offset);
    else if (directive == '%') out += '%';
    else {
      out += '%';
      out += directive;
    }
  }
  return out;
}

std::string backLinkQueryPath(int32_t engine, std::string_view host, int32_t offset) {
  switch (engine) {
    case kEngineGoogle: return fillQueryTemplate(kGoogleQueryTemplate, host, offset);
    case kEngineMsn: return fillQueryTemplate(kMsnQueryTemplate, host, offset);
    case kEngineYahoo: return fillQueryTemplate(kYahooQueryTemplate, host, offset);
    default: return {};
  }
}

std::string backLinkQueryUrl(int32_t engine, std::string_view host, int32_t offset) {
  const std::string path = backLinkQueryPath(engine, host, offset);
  switch (engine) {
    case kEngineGoogle: return core::serviceUrl(core::Service::GoogleSearch, path);
    case kEngineYahoo: return core::serviceUrl(core::Service::YahooSiteExplorer, path);
    case kEngineMsn: return core::effectiveServiceUrl(std::string(kMsnHost) + path);
    default: return {};
  }
}

}  // namespace larkspur::links
