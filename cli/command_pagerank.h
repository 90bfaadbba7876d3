#pragma once
// larkspur-cli pagerank URL [--service-base URL]: the toolbar checksum, the
// request URL and the toolbar PageRank of one address, for manual checks.

#include <string>
#include <vector>

namespace larkspur::cli {

// The usage lines of the pagerank command.
extern const char kPagerankUsage[];

// `args` are the words after "pagerank". Returns 0 when the service answered,
// 1 when the request failed, 2 on a usage error.
int runPagerankCommand(const std::vector<std::string>& args);

}  // namespace larkspur::cli
