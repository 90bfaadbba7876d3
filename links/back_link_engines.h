#pragma once
// The back-link engines: the search services asked for pages that link to a
// host, each with its query template ("%s" the host name, inserted as it is;
// "%d" the result offset; "%%" a percent sign).

#include <cstdint>
#include <string>
#include <string_view>

namespace larkspur::links {

enum BackLinkEngine : int32_t {
  kEngineGoogle = 0,
  kEngineMsn = 1,  // defined but switched off: never started
  kEngineYahoo = 2,
};

inline constexpr char kGoogleQueryTemplate[] = "/search?q=link%%3A%s&num=100&newwindow=1&start=%d&filter=0";
inline constexpr char kMsnQueryTemplate[] = "/results.aspx?q=link%%3A%%2F%%2F%s&first=%d&FORM=PERE";
inline constexpr char kYahooQueryTemplate[] = "/advsearch?p=http%%3A%%2F%%2F%s&b=%d&bwm=i&bwmo=&bwmf=u";

// Result offset added after each query (0: the engine does not page).
inline constexpr int32_t kBackLinkOffsetStep = 100;

// Whether the search starts the engine: Google and Yahoo yes, MSN no.
bool backLinkEngineEnabled(int32_t engine);
int32_t backLinkOffsetStep(int32_t engine);

// Fills a query template: %s the host, %d the offset, %% a percent sign.
std::string fillQueryTemplate(std::string_view pattern, std::string_view host, int32_t offset);

// The path and query of an engine's request; empty for an unknown engine.
std::string backLinkQueryPath(int32_t engine, std::string_view host, int32_t offset);
// The full request URL on the engine's host (through the service base).
std::string backLinkQueryUrl(int32_t engine, std::string_view host, int32_t offset);

}  // namespace larkspur::links
