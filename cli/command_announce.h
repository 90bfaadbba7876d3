#pragma once
// larkspur-cli announce: tells IndexNow engines about the website's pages.

#include <string>
#include <vector>

namespace larkspur::cli {

extern const char kAnnounceUsage[];

// Exit codes besides 0 (announced, or ready with --check), 1 (failed),
// 2 (usage) and 130 (interrupted).
inline constexpr int kNotReadyExit = 3;

int runAnnounceCommand(const std::vector<std::string>& args);

}  // namespace larkspur::cli
