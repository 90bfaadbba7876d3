#pragma once
// Reading what a website tells engines about its pages: robots.txt (its
// Sitemap lines and whether it shuts every engine out) and sitemap files
// (urlset or sitemap index, plain or gzip), within fixed bounds.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace larkspur::announce {

// Bounds of one sitemap file, as the sitemap protocol sets them.
inline constexpr std::size_t kMaxSitemapUrls = 50000;
inline constexpr std::size_t kMaxSitemapBytes = 50u * 1024 * 1024;  // uncompressed

struct PageUrl {
  std::string url;
  std::string lastmod;  // as the sitemap gives it; empty when absent

  bool operator==(const PageUrl&) const = default;
};

struct RobotsFacts {
  std::vector<std::string> sitemaps;  // the Sitemap lines, in order
  bool blocksEveryone = false;        // "Disallow: /" for "User-agent: *"
};

RobotsFacts parseRobots(std::string_view text);

struct SitemapContent {
  bool isIndex = false;          // <sitemapindex>: entries name sitemaps
  std::vector<PageUrl> entries;  // <loc> and <lastmod> of each <url> or <sitemap>
};

// Whether the bytes are gzip data: by their magic bytes, or by a name ending
// in ".gz" (before any query).
bool looksGzipped(std::string_view bytes, std::string_view name);

// Inflates gzip data, refusing output past `maxBytes`.
core::Status inflateGzip(std::string_view compressed, std::size_t maxBytes, std::string& out);

// Reads one sitemap file's bytes (inflated first when gzipped). Refuses, with
// a message saying why, content that is not XML, not a urlset or sitemap
// index, more than kMaxSitemapUrls entries or kMaxSitemapBytes uncompressed.
core::Status readSitemap(std::string_view bytes, std::string_view name, SitemapContent& out);

}  // namespace larkspur::announce
