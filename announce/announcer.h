#pragma once
// Announcing a website through IndexNow: its pages (from its sitemaps or a
// list of URLs), the readiness check of what engines will see, and the
// announcement itself, recorded in the project's AnnounceState.
//
// Everything runs on the calling thread and may take minutes: a window calls
// it on a worker thread, passes its Stop as RunHooks::stop and shows
// RunHooks::progress lines. The AnnounceState belongs to the run until it
// returns; the caller saves the project afterwards when stateChanged is set.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "announce/indexnow.h"
#include "announce/sitemap.h"
#include "core/announce_state.h"

namespace larkspur::announce {

// Bounds of one run over a website's sitemaps.
inline constexpr int kMaxSitemapDepth = 3;           // a named file, an index in it, the sitemaps of that
inline constexpr std::size_t kMaxSitemapFiles = 200;
inline constexpr std::size_t kMaxSiteUrls = 500000;
// A list of URLs read from a file.
inline constexpr std::size_t kMaxUrlFileBytes = 64u * 1024 * 1024;

struct CheckLine {
  enum class Level { Ok, Warning, Error };
  Level level = Level::Ok;
  std::string text;
};

const char* levelWord(CheckLine::Level level);  // "ok", "warning", "error"

struct SitemapReport {
  std::string url;
  bool ok = false;
  bool isIndex = false;
  std::size_t entries = 0;  // URLs, or sitemaps for an index
  std::string problem;      // why it was refused
};

struct SitePages {
  std::vector<PageUrl> pages;         // on the website's host, each URL once
  std::vector<SitemapReport> sitemaps;
  std::size_t otherHosts = 0;         // URLs left out: another host (or outside the key's folder)
  std::size_t duplicates = 0;
  bool truncated = false;             // kMaxSiteUrls or kMaxSitemapFiles was reached
  bool stopped = false;
};

// The website's host in lower case, or empty when `website` is not an
// http(s) URL with a host.
std::string websiteHost(const std::string& website);
// Why nothing can be announced for the website (it has no host), as a
// sentence part; empty when it can.
std::string websiteProblem(const std::string& website);
// "scheme://host[:port]" of the website.
std::string websiteRoot(const std::string& website);

// Reads the sitemaps and the index files they lead to, keeping URLs whose
// host is the website's (any scheme) and, when `folder` is not empty, whose
// path starts with it.
SitePages readSitemaps(const std::string& website, const std::vector<std::string>& sitemapUrls,
                       const std::string& folder, const RunHooks& hooks);
// Reads a list of URLs, one a line (blank lines and lines starting with '#'
// are skipped), from a regular file of at most kMaxUrlFileBytes.
core::Status readUrlFile(const std::filesystem::path& path, const std::string& website,
                         const std::string& folder, SitePages& out);

struct KeyFileCheck {
  bool matches = false;
  std::string what;  // what was found, as a sentence part
};
// Fetches the key file and compares its content, trimmed, to the key.
KeyFileCheck checkKeyFile(const std::string& keyFileUrl, const std::string& key, const RunHooks& hooks);

struct AnnounceOptions {
  std::string website;                       // the project's website URL
  std::vector<std::string> sitemaps;         // empty: those robots.txt names, else /sitemap.xml
  std::optional<std::filesystem::path> urlFile;  // instead of the sitemaps
  bool changedOnly = false;                  // only URLs new or with another lastmod since last time
  std::string endpoint = "IndexNow";         // a name or an https URL
  std::string keyLocation;                   // empty: ROOT/KEY.txt
  bool checkOnly = false;                    // the readiness check alone
};

enum class Outcome {
  Ready,       // checkOnly: every check passed
  Announced,   // every request was accepted (or nothing had changed)
  NotReady,    // a check failed: nothing was sent
  Failed,      // an endpoint refused or did not answer, or the options were wrong
  Stopped,
};

struct AnnounceResult {
  Outcome outcome = Outcome::Failed;
  std::vector<CheckLine> report;  // the readiness check
  std::string message;            // the run's conclusion
  std::size_t urlsFound = 0;
  std::size_t urlsSent = 0;       // accepted by the endpoint
  bool stateChanged = false;      // a key was made or an announcement recorded
};

// Makes the key when the state has none for this host (a new one replaces a
// key made for another host). Returns whether it made one.
bool ensureKey(core::AnnounceState& state, const std::string& host);
// Where the key file is looked for: the key location, else ROOT/KEY.txt.
std::string keyFileUrl(const AnnounceOptions& options, const std::string& key);

// The readiness check, then (unless checkOnly) the announcement of the pages
// in requests of at most kMaxUrlsPerRequest. Each request's answer is logged
// in `state`, and the accepted URLs are remembered with their lastmod.
AnnounceResult runAnnouncement(core::AnnounceState& state, const AnnounceOptions& options,
                               const RunHooks& hooks);

}  // namespace larkspur::announce
