#include "links/robots_rules.h"

#include "core/ascii_text.h"

namespace larkspur::links {

namespace {

// Whether `pattern` ('*' any run of bytes) matches the whole of `text`, or
// with `prefix` a beginning of it.
bool wildcardMatch(std::string_view pattern, std::string_view text, bool prefix) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (t < text.size()) {
    if (prefix && p == pattern.size()) return true;
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// A rule's path matches a prefix of the page's, or all of it when it ends in '$'.
bool ruleMatches(std::string_view rule, std::string_view path) {
  if (rule.ends_with('$')) return wildcardMatch(rule.substr(0, rule.size() - 1), path, false);
  return wildcardMatch(rule, path, true);
}

}  // namespace

RobotsRules RobotsRules::parse(std::string_view text) {
  RobotsRules rules;
  text = text.substr(0, kMaxRobotsBytes);
  std::size_t kept = 0;
  bool forAll = false;        // the group under way is for every agent
  bool agentsOpen = false;    // the group's User-agent lines are still coming
  while (!text.empty()) {
    std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(0, std::min(end, kMaxRobotsLine));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string key = core::asciiLower(core::asciiTrimmed(line.substr(0, colon)));
    const std::string_view value = core::asciiTrimmed(line.substr(colon + 1));
    if (key == "user-agent") {
      if (!agentsOpen) forAll = false;
      agentsOpen = true;
      if (value == "*") forAll = true;
      continue;
    }
    const bool allow = key == "allow";
    if (!allow && key != "disallow") continue;  // Sitemap, Crawl-delay, ...
    agentsOpen = false;
    if (!forAll || value.empty() || kept + value.size() > kMaxRobotsRuleBytes) continue;
    kept += value.size();
    rules.rules_.push_back(Rule{std::string(value), allow});
  }
  return rules;
}

bool RobotsRules::allows(std::string_view pathAndQuery) const {
  const Rule* decisive = nullptr;
  for (const Rule& rule : rules_) {
    if (!ruleMatches(rule.path, pathAndQuery)) continue;
    if (!decisive || rule.path.size() > decisive->path.size() ||
        (rule.path.size() == decisive->path.size() && rule.allow)) {
      decisive = &rule;
    }
  }
  return !decisive || decisive->allow;
}

}  // namespace larkspur::links
