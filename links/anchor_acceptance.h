#pragma once
// The anchors of a result page and the test each engine applies to them
// before a link is taken: the engines' own links are thrown away, and
// Yahoo's redirect links are unwrapped to the address they lead to.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "web/document.h"

namespace larkspur::links {

struct CollectedAnchor {
  std::string url;   // the absolute href
  std::string text;  // the anchor's rendered text
};

// Anchors with an href longer than this are collected.
inline constexpr std::size_t kShortestCollectedHref = 9;

// Every A element whose href is longer than 8 characters, with its text, in
// document order.
std::vector<CollectedAnchor> collectAnchors(const web::Document& document);

// Decodes %XX escapes (either case of hex digit) in place; a '%' not followed
// by two hex digits stays as it is. The text ends at a decoded NUL.
void decodePercentEscapes(std::string& text);

// Yahoo's redirect: unless the text is "Cached" (in any case), a URL holding
// both "rds.yahoo" and "/**" becomes what follows the first "/**", with its
// escapes decoded. Returns whether the URL was changed.
bool unwrapYahooRedirect(CollectedAnchor& anchor);

// The engine's own test (case-sensitive substrings); for Yahoo the redirect
// is unwrapped first, in the anchor itself. Duplicates are tested elsewhere.
bool passesEngineTest(int32_t engine, CollectedAnchor& anchor);

}  // namespace larkspur::links
