#include "links/link_worth.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/ascii_text.h"
#include "core/fixed_text.h"
#include "core/website_profile.h"

namespace larkspur::links {

namespace {

constexpr std::array<std::string_view, 3> kNotFollowed = {"nofollow", "ugc", "sponsored"};
// X-Robots-Tag directives that carry a value after a colon, unlike an
// engine's name.
constexpr std::array<std::string_view, 4> kValuedDirectives = {"unavailable_after", "max-snippet",
                                                               "max-image-preview", "max-video-preview"};

std::string cut(std::string text, std::size_t limit) {
  text.resize(core::fittingLength(text, limit + 1));
  return text;
}

// Calls `each` with every comma-separated item of `list`, trimmed and in
// lower case.
template <typename Each>
void forEachItem(std::string_view list, Each&& each) {
  while (!list.empty()) {
    const std::size_t comma = std::min(list.find(','), list.size());
    each(core::asciiLower(core::asciiTrimmed(list.substr(0, comma))));
    list.remove_prefix(std::min(comma + 1, list.size()));
  }
}

bool isNoindex(std::string_view directive) { return directive == "noindex" || directive == "none"; }

// The rel values that keep engines from following the link, in that order.
std::string notFollowedValues(const web::Element& link) {
  const std::string* rel = link.attribute("rel");
  if (!rel) return {};
  std::vector<std::string> words;
  std::string_view rest = *rel;
  while (!(rest = core::asciiTrimmed(rest, core::kHtmlBlanks)).empty()) {
    const std::size_t end = std::min(rest.find_first_of(core::kHtmlBlanks), rest.size());
    words.push_back(core::asciiLower(rest.substr(0, end)));
    rest.remove_prefix(end);
  }
  std::string found;
  for (std::string_view value : kNotFollowed) {
    if (std::find(words.begin(), words.end(), value) == words.end()) continue;
    if (!found.empty()) found += ' ';
    found += value;
  }
  return found;
}

// The link's text, else the alt text of the first image inside it that has one.
std::string anchorOf(const web::Document& page, std::size_t link) {
  std::string text = web::collapseBlanks(page.textOf(link));
  if (!text.empty()) return text;
  // An element's descendants follow it, up to the first element whose parent
  // comes before it.
  for (std::size_t i = link + 1; i < page.size() && page.at(i).parent >= static_cast<int>(link); ++i) {
    if (page.at(i).tag != "IMG") continue;
    if (const std::string* alt = page.at(i).attribute("alt")) {
      text = web::collapseBlanks(*alt);
      if (!text.empty()) return text;
    }
  }
  return {};
}

}  // namespace

std::string comparableHost(std::string_view host) {
  std::string lower = core::asciiLower(host);
  if (!lower.empty() && lower.back() == '.') lower.pop_back();
  if (lower.starts_with("www.")) lower.erase(0, 4);
  return lower;
}

LinkOnPage findLinkTo(const web::Document& page, std::string_view siteHost, std::size_t textLimit) {
  LinkOnPage best;
  if (siteHost.empty()) return best;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const web::Element& element = page.at(i);
    if ((element.tag != "A" && element.tag != "AREA") || element.href.empty()) continue;
    // Most links of a page go elsewhere: the address is parsed only when it
    // could name the site.
    if (!core::asciiContainsNoCase(element.href, siteHost)) continue;
    if (comparableHost(core::hostOfUrl(element.href)) != siteHost) continue;
    std::string rel = notFollowedValues(element);
    if (best.found && (!rel.empty() || best.rel.empty())) continue;
    best = LinkOnPage{true, cut(anchorOf(page, i), textLimit), std::move(rel)};
    if (best.rel.empty()) break;
  }
  return best;
}

bool metaSaysNoindex(const web::Document& page) {
  for (const web::Element& element : page.elements()) {
    if (element.tag != "META") continue;
    const std::string* name = element.attribute("name");
    const std::string* content = element.attribute("content");
    if (!name || !content) continue;
    const std::string who = core::asciiLower(core::asciiTrimmed(*name));
    if (who != "robots" && who != "googlebot") continue;
    bool noindex = false;
    forEachItem(*content, [&](const std::string& directive) { noindex = noindex || isNoindex(directive); });
    if (noindex) return true;
  }
  return false;
}

bool robotsTagSaysNoindex(std::span<const std::string> values) {
  for (const std::string& value : values) {
    // "googlebot: noindex, nofollow": the directives after an engine's name
    // are for that engine.
    std::string agent;
    bool noindex = false;
    forEachItem(value, [&](const std::string& item) {
      std::string_view directive = item;
      if (const std::size_t colon = item.find(':'); colon != std::string::npos) {
        const std::string_view before = core::asciiTrimmed(directive.substr(0, colon));
        bool valued = false;
        for (std::string_view name : kValuedDirectives) valued = valued || before == name;
        if (!valued) {
          agent = std::string(before);
          directive = core::asciiTrimmed(directive.substr(colon + 1));
        }
      }
      if ((agent.empty() || agent == "googlebot") && isNoindex(directive)) noindex = true;
    });
    if (noindex) return true;
  }
  return false;
}

}  // namespace larkspur::links
