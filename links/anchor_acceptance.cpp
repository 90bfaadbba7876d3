#include "links/anchor_acceptance.h"

#include <string_view>

#include "core/ascii_text.h"
#include "links/back_link_engines.h"

namespace larkspur::links {

namespace {

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<CollectedAnchor> collectAnchors(const web::Document& document) {
  std::vector<CollectedAnchor> anchors;
  for (std::size_t i = 0; i < document.size(); ++i) {
    const web::Element& e = document.at(i);
    if (e.tag != "A" || e.href.size() < kShortestCollectedHref) continue;
    anchors.push_back({e.href, document.textOf(i)});
  }
  return anchors;
}

void decodePercentEscapes(std::string& text) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int high = hexValue(text[i + 1]);
      const int low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        c = static_cast<char>(high * 16 + low);
        i += 2;
      }
    }
    if (c == '\0') break;
    text[out++] = c;
  }
  text.resize(out);
}

bool unwrapYahooRedirect(CollectedAnchor& anchor) {
  if (core::asciiEqualsNoCase(anchor.text, "cached")) return false;
  if (!contains(anchor.url, "rds.yahoo")) return false;
  const std::size_t marker = anchor.url.find("/**");
  if (marker == std::string::npos) return false;
  anchor.url.erase(0, marker + 3);
  decodePercentEscapes(anchor.url);
  return true;
}

bool passesEngineTest(int32_t engine, CollectedAnchor& anchor) {
  const std::string& u = anchor.url;
  switch (engine) {
    case kEngineGoogle:
      return !contains(u, "google.") && !contains(u, "youtube.") && !contains(u, "cache:");
    case kEngineYahoo:
      unwrapYahooRedirect(anchor);
      if (contains(u, "siteexplorer") || contains(u, "yahoo.")) return false;
      return !contains(u, "ysearchblog") && !contains(u, "javascript:") && !contains(u, "cache?");
    default:
      return true;
  }
}

}  // namespace larkspur::links
