#pragma once
// What one linking page says of its link to the website and of itself: the
// link (an A or AREA whose address is on the website's host), its text and
// the rel values that tell engines not to follow it, and whether the page
// asks engines not to index it (its robots meta tags, its X-Robots-Tag
// headers).

#include <span>
#include <string>
#include <string_view>

#include "web/document.h"

namespace larkspur::links {

struct LinkOnPage {
  bool found = false;
  std::string anchor;  // the link's text, else the alt text of an image in it
  std::string rel;     // of nofollow, ugc and sponsored, those it has, space-separated
};

// A host as links to the website are compared: lower case, without a
// trailing dot or a leading "www.".
std::string comparableHost(std::string_view host);

// The page's link to `siteHost` (as comparableHost gives it): of several, the
// first that engines follow, else the first. Texts are kept to `textLimit`
// bytes.
LinkOnPage findLinkTo(const web::Document& page, std::string_view siteHost, std::size_t textLimit);

// Whether a robots meta tag of the page (named "robots" or "googlebot") says
// "noindex" or "none".
bool metaSaysNoindex(const web::Document& page);

// Whether X-Robots-Tag values say "noindex" or "none" to every engine or to
// Google's ("googlebot: noindex"); a value for another named engine does not
// count.
bool robotsTagSaysNoindex(std::span<const std::string> values);

}  // namespace larkspur::links
