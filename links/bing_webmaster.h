#pragma once
// The website's backlinks from Bing Webmaster Tools, asked with the user's
// key through the JSON API, https://ssl.bing.com/webmaster/api.svc/json/
// METHOD?apikey=KEY&...:
//
// - GetLinkCounts?siteUrl=SITE&page=N, N from 0: the site's pages that other
//   pages link to, with how many do,
//     {"d": {"__type": "LinkCounts:#Microsoft.Bing.Webmaster.Api",
//            "Links": [{"__type": "LinkCount:#...", "Count": 12,
//                       "Url": "http:\/\/site\/page"}, ...],
//            "TotalPages": 3}}
// - GetUrlLinks?siteUrl=SITE&link="PAGE"&page=N: the pages that link to one
//   page of the site, with the text of their links,
//     {"d": {"__type": "LinkDetails:#...",
//            "Details": [{"__type": "LinkDetail:#...", "AnchorText": "link",
//                         "Url": "http:\/\/other\/page1.html"}, ...],
//            "TotalPages": 3}}
//   The JSON endpoint reads `link` as a JSON string, quotes included (its
//   sample request sends %22http%3a%5c%2f%5c%2fexample.com...%22); `siteUrl`
//   goes as it is.
// - A failure answers {"ErrorCode": 3, "Message": "..."}: ErrorCode 3
//   (InvalidApiKey) refuses the key as 401 and 403 do; 4 (ThrottleUser) and
//   5 (ThrottleHost) ask to slow down as 429 does; any other (7 InvalidUrl,
//   14 NotAuthorized: a site the key's account has not verified) is named
//   in the sentence that ends the run.
//
// Every page of an answer counts: the pages read, their items and their
// bytes are bounded, and so are the site's pages asked about and the links
// taken in one run.

#include <chrono>
#include <cstddef>
#include <string>

#include "core/event.h"
#include "core/link_list.h"
#include "core/messages.h"
#include "links/keyed_service_call.h"

namespace larkspur::links {

inline constexpr char kBingWebmasterTitle[] = "Bing Webmaster Tools";

struct BingBacklinkOptions {
  std::string key;  // empty: Bing Webmaster Tools is not asked
  KeyedCallPolicy calls;
  int maxSitePages = 20;          // GetLinkCounts pages read
  int maxLinkPages = 20;          // GetUrlLinks pages read for one page of the site
  std::size_t maxItemsPerAnswer = 1000;
  std::size_t maxTargets = 1000;  // pages of the site asked about
  std::size_t maxLinks = 20000;   // linking pages taken in one run
  std::size_t maxAnswerBytes = 2 * 1024 * 1024;
  std::chrono::seconds timeout{60};
};

struct BingBacklinkResult {
  int requests = 0;
  std::size_t added = 0;    // new links, each posted as link-found
  std::size_t updated = 0;  // links already listed whose anchor changed, each posted as record-changed
  bool stopped = false;
  bool limitReached = false;  // a bound on pages, items or links ended a part of the run
  std::string failure;        // why the run ended early (a refused key, ...); empty when it did not
};

// Asks for the pages linking to `siteUrl` (the website's address as the
// project holds it) and adds each web page among them to `links`, once, with
// its link text as its anchor (details.anchor); a page already in the list
// (the same URL) gets the anchor instead. `stop` ends the run within a
// second, waits included.
BingBacklinkResult searchBingBacklinks(const std::string& siteUrl, core::LinkList& links, const core::Post& post,
                                       const BingBacklinkOptions& options, const core::Event* stop);

}  // namespace larkspur::links
