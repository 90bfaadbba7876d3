#include "announce/announcer.h"

#include <ctime>
#include <set>
#include <unordered_set>

#include "web/http_fetch.h"
#include "core/ascii_text.h"
#include "core/atomic_file.h"
#include "core/utc_time.h"
#include "core/visible_text.h"
#include "core/web_address.h"
#include "core/website_profile.h"

namespace larkspur::announce {

namespace {

using Level = CheckLine::Level;

using core::asciiLower;
using core::asciiTrimmed;
using core::isWebAddress;

// The path of a URL ("/" when it has none), without query or fragment.
std::string pathOf(std::string_view url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return "/";
  std::size_t start = url.find_first_of("/?#", scheme + 3);
  if (start == std::string_view::npos || url[start] != '/') return "/";
  std::size_t end = url.find_first_of("?#", start);
  return std::string(url.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

// The folder a key file at this URL covers: its path up to the last '/'.
std::string folderOf(const std::string& keyLocation) {
  if (keyLocation.empty()) return {};
  std::string path = pathOf(keyLocation);
  return path.substr(0, path.rfind('/') + 1);
}

// A text from the network, shortened and with control characters visible.
std::string quoted(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string shown = core::visibleText(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

std::string count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Collects pages for one run: host and folder filter, duplicates, bounds.
class PageSet {
 public:
  PageSet(std::string host, std::string folder, SitePages& out)
      : host_(std::move(host)), folder_(std::move(folder)), out_(out) {}

  // False once the run's bound is reached.
  bool add(PageUrl page) {
    if (!isWebAddress(page.url) || asciiLower(core::hostOfUrl(page.url)) != host_ ||
        (!folder_.empty() && pathOf(page.url).rfind(folder_, 0) != 0)) {
      ++out_.otherHosts;
      return true;
    }
    if (!seen_.insert(page.url).second) {
      ++out_.duplicates;
      return true;
    }
    if (out_.pages.size() == kMaxSiteUrls) {
      out_.truncated = true;
      return false;
    }
    out_.pages.push_back(std::move(page));
    return true;
  }

 private:
  std::string host_;
  std::string folder_;
  SitePages& out_;
  std::unordered_set<std::string> seen_;
};

void readSitemapTree(const std::string& url, int depth, PageSet& pages, std::set<std::string>& visited,
                     SitePages& out, const RunHooks& hooks) {
  if (out.stopped || out.truncated) return;
  if (hooks.stopped()) {
    out.stopped = true;
    return;
  }
  SitemapReport report;
  report.url = url;
  if (!visited.insert(url).second) return;  // an index naming itself or a file twice
  if (visited.size() > kMaxSitemapFiles) {
    out.truncated = true;
    return;
  }
  hooks.say("Reading sitemap " + core::visibleText(url));
  web::HttpRequest request;
  request.url = url;
  request.maxBytes = kMaxSitemapBytes + 1;  // gzip data are smaller than what they hold
  request.timeout = std::chrono::seconds(120);
  web::HttpAnswer answer = web::httpFetch(request, hooks.stop);
  if (answer.stopped) {
    out.stopped = true;
    return;
  }
  SitemapContent content;
  if (answer.tooLarge) {
    report.problem = "it is larger than 50 MB";
  } else if (!answer.answered()) {
    report.problem = "it could not be fetched (" + answer.error + ")";
  } else if (answer.status != 200) {
    report.problem = "it answers HTTP " + std::to_string(answer.status);
  } else if (core::Status read = readSitemap(answer.body, url, content); !read.ok()) {
    report.problem = read.message;
  } else {
    report.ok = true;
    report.isIndex = content.isIndex;
    report.entries = content.entries.size();
  }
  out.sitemaps.push_back(report);
  if (!report.ok) return;
  if (content.isIndex) {
    if (depth >= kMaxSitemapDepth) {
      out.sitemaps.back().ok = false;
      out.sitemaps.back().problem = "sitemap indexes are nested more than " + std::to_string(kMaxSitemapDepth) + " deep";
      return;
    }
    for (PageUrl& child : content.entries) {
      if (!isWebAddress(child.url)) continue;
      readSitemapTree(child.url, depth + 1, pages, visited, out, hooks);
      if (out.stopped || out.truncated) return;
    }
    return;
  }
  for (PageUrl& page : content.entries) {
    if (!pages.add(std::move(page))) return;
  }
}

void addLine(std::vector<CheckLine>& report, Level level, std::string text, const RunHooks& hooks) {
  hooks.say(std::string(levelWord(level)) + ": " + text);
  report.push_back({level, std::move(text)});
  if (hooks.checked) hooks.checked(report.back());
}

web::HttpRequest fetchRequest(std::string url, std::size_t maxBytes) {
  web::HttpRequest request;
  request.url = std::move(url);
  request.maxBytes = maxBytes;
  return request;
}

bool hasError(const std::vector<CheckLine>& report) {
  for (const CheckLine& line : report) {
    if (line.level == Level::Error) return true;
  }
  return false;
}

}  // namespace

const char* levelWord(CheckLine::Level level) {
  switch (level) {
    case Level::Ok:
      return "ok";
    case Level::Warning:
      return "warning";
    case Level::Error:
      return "error";
  }
  return "";
}

std::string websiteHost(const std::string& website) {
  if (!isWebAddress(website)) return {};
  return asciiLower(core::hostOfUrl(website));
}

std::string websiteProblem(const std::string& website) {
  if (!websiteHost(website).empty()) return {};
  return "the project's website '" + core::visibleText(website) + "' is not an http(s) URL with a host";
}

std::string websiteRoot(const std::string& website) {
  std::size_t scheme = website.find("://");
  if (scheme == std::string::npos) return website;
  std::size_t end = website.find_first_of("/?#", scheme + 3);
  return website.substr(0, end);
}

SitePages readSitemaps(const std::string& website, const std::vector<std::string>& sitemapUrls,
                       const std::string& folder, const RunHooks& hooks) {
  SitePages out;
  PageSet pages(websiteHost(website), folder, out);
  std::set<std::string> visited;
  for (const std::string& url : sitemapUrls) {
    readSitemapTree(url, 1, pages, visited, out, hooks);
    if (out.stopped || out.truncated) break;
  }
  return out;
}

core::Status readUrlFile(const std::filesystem::path& path, const std::string& website,
                         const std::string& folder, SitePages& out) {
  std::vector<uint8_t> bytes;
  core::Status read = core::readWholeFile(path, bytes, kMaxUrlFileBytes);
  if (!read.ok()) return read;
  PageSet pages(websiteHost(website), folder, out);
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = asciiTrimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (!pages.add(PageUrl{std::string(line), {}})) break;
  }
  return core::Status::success();
}

KeyFileCheck checkKeyFile(const std::string& keyFileUrl, const std::string& key, const RunHooks& hooks) {
  web::HttpRequest request;
  request.url = keyFileUrl;
  request.maxBytes = 4096;
  web::HttpAnswer answer = web::httpFetch(request, hooks.stop);
  KeyFileCheck check;
  if (answer.stopped) {
    check.what = "was not checked (stopped)";
  } else if (answer.tooLarge) {
    check.what = "is far larger than a key";
  } else if (!answer.answered()) {
    check.what = "could not be reached (" + answer.error + ")";
  } else if (answer.status == 404) {
    check.what = "is not there (HTTP 404)";
  } else if (answer.status != 200) {
    check.what = "answers HTTP " + std::to_string(answer.status);
  } else {
    std::string_view content = answer.body;
    if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.remove_prefix(3);  // a UTF-8 byte order mark
    content = asciiTrimmed(content);
    check.matches = content == key;
    check.what = check.matches ? "holds the key" : "holds " + quoted(content) + " instead of the key";
  }
  return check;
}

bool ensureKey(core::AnnounceState& state, const std::string& host) {
  if (!state.key.empty() && isValidKey(state.key) && state.keyHost == host) return false;
  std::string key = generateKey();
  if (key.empty()) return false;
  state.key = std::move(key);
  state.keyHost = host;
  return true;
}

std::string keyFileUrl(const AnnounceOptions& options, const std::string& key) {
  if (!options.keyLocation.empty()) return options.keyLocation;
  return websiteRoot(options.website) + "/" + key + ".txt";
}

AnnounceResult runAnnouncement(core::AnnounceState& state, const AnnounceOptions& options,
                               const RunHooks& hooks) {
  AnnounceResult result;
  std::vector<CheckLine>& report = result.report;
  const std::string host = websiteHost(options.website);
  if (std::string problem = websiteProblem(options.website); !problem.empty()) {
    result.message = std::move(problem);
    return result;
  }
  std::string endpointError;
  std::optional<Endpoint> endpoint = resolveEndpoint(options.endpoint, endpointError);
  if (!endpoint) {
    result.message = endpointError;
    return result;
  }
  if (!options.keyLocation.empty() &&
      (!isWebAddress(options.keyLocation) || asciiLower(core::hostOfUrl(options.keyLocation)) != host)) {
    result.message = "the key location must be a URL on " + host;
    return result;
  }
  if (ensureKey(state, host)) {
    result.stateChanged = true;
    hooks.say("Made the key " + state.key + " for " + host);
  }
  if (state.key.empty()) {
    result.message = "no key could be made: the system gave no random bytes";
    return result;
  }
  auto stopped = [&] {
    result.outcome = Outcome::Stopped;
    result.message = "stopped";
    return result;
  };
  const std::string root = websiteRoot(options.website);
  const std::string keyUrl = keyFileUrl(options, state.key);
  const std::string folder = folderOf(options.keyLocation);

  // What engines will see.
  if (core::asciiStartsWithNoCase(options.website, "https://")) {
    addLine(report, Level::Ok, "the website is served over https", hooks);
  } else {
    addLine(report, Level::Warning, "the website is served over plain http, not https", hooks);
  }

  hooks.say("Fetching the home page " + core::visibleText(options.website));
  web::HttpAnswer home = web::httpFetch(fetchRequest(options.website, 4u * 1024 * 1024), hooks.stop);
  if (home.stopped) return stopped();
  if (home.status == 200) {
    addLine(report, Level::Ok, "the home page answers HTTP 200", hooks);
  } else {
    addLine(report, Level::Error, "the home page " + (home.answered() ? "answers HTTP " + std::to_string(home.status)
                                                                      : "could not be reached (" + home.error + ")"),
            hooks);
  }

  hooks.say("Fetching " + root + "/robots.txt");
  web::HttpAnswer robots = web::httpFetch(fetchRequest(root + "/robots.txt", 512u * 1024), hooks.stop);
  if (robots.stopped) return stopped();
  RobotsFacts facts;
  if (robots.status == 200) {
    facts = parseRobots(robots.body);
    if (facts.blocksEveryone) {
      addLine(report, Level::Error, "robots.txt shuts every engine out (Disallow: / for User-agent: *)", hooks);
    } else {
      addLine(report, Level::Ok, "robots.txt is served and lets engines in; it names " +
                                     count(facts.sitemaps.size(), "sitemap", "sitemaps"), hooks);
    }
  } else if (robots.status == 404 || robots.status == 410) {
    addLine(report, Level::Warning, "there is no robots.txt (HTTP " + std::to_string(robots.status) +
                                         "): engines may crawl everything, and no sitemap is named", hooks);
  } else if (robots.answered() && robots.status < 500) {
    addLine(report, Level::Warning, "robots.txt answers HTTP " + std::to_string(robots.status), hooks);
  } else {
    addLine(report, Level::Error, "robots.txt " + (robots.answered() ? "answers HTTP " + std::to_string(robots.status)
                                                                    : "could not be reached (" + robots.error + ")") +
                                      ": engines hold off crawling while it fails", hooks);
  }

  SitePages site;
  if (options.urlFile) {
    core::Status read = readUrlFile(*options.urlFile, options.website, folder, site);
    if (!read.ok()) {
      addLine(report, Level::Error, read.message, hooks);
    } else {
      addLine(report, Level::Ok, count(site.pages.size(), "URL", "URLs") + " of " + host + " read from " +
                                     options.urlFile->string(), hooks);
    }
  } else {
    std::vector<std::string> sitemaps = options.sitemaps.empty() ? facts.sitemaps : options.sitemaps;
    if (sitemaps.empty()) {
      sitemaps.push_back(root + "/sitemap.xml");
      addLine(report, Level::Warning, "robots.txt names no sitemap: trying " + sitemaps.back(), hooks);
    }
    site = readSitemaps(options.website, sitemaps, folder, hooks);
    if (site.stopped) return stopped();
    for (const SitemapReport& s : site.sitemaps) {
      if (s.ok) {
        addLine(report, Level::Ok, "sitemap " + core::visibleText(s.url) + (s.isIndex ? " is an index of " : " holds ") +
                                       count(s.entries, s.isIndex ? "sitemap" : "URL", s.isIndex ? "sitemaps" : "URLs"), hooks);
      } else {
        addLine(report, Level::Error, "sitemap " + core::visibleText(s.url) + " is refused: " + s.problem, hooks);
      }
    }
    if (site.truncated) {
      addLine(report, Level::Warning, "the sitemaps go past " + std::to_string(kMaxSitemapFiles) + " files or " +
                                          std::to_string(kMaxSiteUrls) + " URLs: the rest is left out", hooks);
    }
  }
  if (site.otherHosts > 0) {
    addLine(report, Level::Warning, count(site.otherHosts, "URL is", "URLs are") + " not on " + host +
                                        (folder.empty() ? "" : " under " + folder) + " and left out", hooks);
  }
  if (site.duplicates > 0) {
    addLine(report, Level::Ok, count(site.duplicates, "duplicate URL", "duplicate URLs") + " counted once", hooks);
  }
  result.urlsFound = site.pages.size();
  if (site.pages.empty()) {
    addLine(report, Level::Error, "no URL of " + host + " was found to announce", hooks);
  } else {
    addLine(report, Level::Ok, count(site.pages.size(), "URL", "URLs") + " of " + host + " found", hooks);
  }

  hooks.say("Fetching the key file " + keyUrl);
  KeyFileCheck key = checkKeyFile(keyUrl, state.key, hooks);
  if (hooks.stopped()) return stopped();
  if (key.matches) {
    addLine(report, Level::Ok, "the key file " + keyUrl + " holds the key", hooks);
  } else {
    addLine(report, Level::Error, "the key file " + keyUrl + " " + key.what + ": publish a text file there holding " +
                                      state.key, hooks);
  }

  if (hasError(report)) {
    result.outcome = Outcome::NotReady;
    result.message = "not ready: nothing was announced";
    return result;
  }
  if (options.checkOnly) {
    result.outcome = Outcome::Ready;
    result.message = "ready: engines can be told about " + count(site.pages.size(), "URL", "URLs");
    return result;
  }

  // The announcement.
  std::vector<PageUrl> chosen;
  for (PageUrl& page : site.pages) {
    if (options.changedOnly) {
      auto before = state.announced.find(page.url);
      if (before != state.announced.end() && before->second == page.lastmod) continue;
    }
    chosen.push_back(std::move(page));
  }
  if (chosen.empty()) {
    result.outcome = Outcome::Announced;
    result.message = "nothing changed since the last announcement";
    return result;
  }
  const bool keyAtDefaultPlace = options.keyLocation.empty();
  if (hooks.requests) hooks.requests(0, chosen.size(), nullptr);
  for (std::size_t first = 0; first < chosen.size(); first += kMaxUrlsPerRequest) {
    const std::size_t last = std::min(chosen.size(), first + kMaxUrlsPerRequest);
    std::vector<std::string> urls;
    urls.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) urls.push_back(chosen[i].url);
    hooks.say("Announcing URLs " + std::to_string(first + 1) + " to " + std::to_string(last) + " of " +
              std::to_string(chosen.size()) + " to " + endpoint->name);
    SubmitOutcome sent = submitUrls(*endpoint, host, state.key, keyUrl, keyAtDefaultPlace, urls, hooks);
    if (sent.stopped) return stopped();
    state.addLog({core::utcText(hooks.clock()), endpoint->url, static_cast<int32_t>(urls.size()), sent.code, sent.sentence});
    result.stateChanged = true;
    if (hooks.requests) hooks.requests(last, chosen.size(), &state.log.back());
    hooks.say(endpoint->name + ": " + sent.sentence);
    if (!answerAccepted(sent.code)) {
      result.message = endpoint->name + " did not take URLs " + std::to_string(first + 1) + " to " +
                       std::to_string(last) + ": " + sent.sentence;
      return result;
    }
    for (std::size_t i = first; i < last; ++i) state.announced[chosen[i].url] = chosen[i].lastmod;
    result.urlsSent += urls.size();
  }
  result.outcome = Outcome::Announced;
  result.message = count(result.urlsSent, "URL", "URLs") + " announced to " + endpoint->name;
  return result;
}

}  // namespace larkspur::announce
