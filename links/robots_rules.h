#pragma once
// What a site's robots.txt says to every engine: the Allow and Disallow
// rules of its groups for "User-agent: *", matched the way the engines
// match them (the longest rule whose path is a prefix of the page's path
// and query decides; "*" stands for any run of bytes and a final "$" for the
// end; Allow wins a tie; no rule, or an empty Disallow, allows).
//
// Read from other people's servers, so bounded: the file's first
// kMaxRobotsBytes, lines up to kMaxRobotsLine bytes, and rules up to
// kMaxRobotsRuleBytes of paths in all (the rules past them are not kept).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur::links {

inline constexpr std::size_t kMaxRobotsBytes = 512 * 1024;
inline constexpr std::size_t kMaxRobotsLine = 2048;
inline constexpr std::size_t kMaxRobotsRuleBytes = 32 * 1024;

class RobotsRules {
 public:
  RobotsRules() = default;  // allows everything

  // The rules of `text` for every agent.
  static RobotsRules parse(std::string_view text);

  // Whether a page whose path and query are `pathAndQuery` ("/a/b?c") may be
  // crawled.
  bool allows(std::string_view pathAndQuery) const;

  std::size_t size() const { return rules_.size(); }

 private:
  struct Rule {
    std::string path;  // as written, "*" and "$" included
    bool allow = false;
  };
  std::vector<Rule> rules_;
};

}  // namespace larkspur::links
