#include "cli/command_pagerank.h"

#include <atomic>
#include <cstdio>
#include <optional>

#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/job_console.h"
#include "core/coordination.h"
#include "core/message_queue.h"
#include "core/service_hosts.h"
#include "core/counted_thread.h"
#include "links/pagerank.h"

namespace larkspur::cli {

const char kPagerankUsage[] =
    "pagerank URL [--service-base URL]\n"
    "      Print the toolbar checksum, the request URL and the PageRank of URL.";

int runPagerankCommand(const std::vector<std::string>& args) {
  Arguments parsed(args, {"service-base"}, {});
  if (!parsed.error().empty()) return fail("pagerank: " + parsed.error(), 2);
  if (parsed.positional().size() != 1) return fail("usage: pagerank URL [--service-base URL]", 2);
  if (std::optional<std::string> base = parsed.value("service-base")) {
    if (!core::setServiceBase(*base)) {
      return fail("pagerank: --service-base wants scheme://host[:port] with http or https, not '" + *base +
                      "'",
                  2);
    }
  }

  const std::string& address = parsed.positional().front();
  int32_t rank = 0;
  links::PageRankDetails details;
  int32_t result = -1;
  // The query runs on a worker so that Ctrl-C, turned into the stop signal
  // here, can cut a slow service short.
  ConsoleJob job;
  job.coordination.stop.reset();
  JobWatch watch;
  watch.word = "Asking";
  const std::optional<bool> stopped =
      job.watchWorker(watch, [&] { result = links::queryPageRank(address, rank, &details, {}, &job.coordination.stop); });
  if (!stopped) return fail("pagerank: no worker thread could be started");
  if (*stopped) return kInterruptedExit;
  std::printf("checksum: %s\n", details.checksum.c_str());
  std::printf("request: %s\n", details.requestUrl.c_str());
  std::printf("rank: %d\n", static_cast<int>(rank));
  std::fflush(stdout);
  if (result != 0) {
    std::string reason = "pagerank: request failed (fetch result " + std::to_string(details.fetchResult) + ")";
    if (!details.errorText.empty()) reason += ": " + details.errorText;
    return fail(reason, 1);
  }
  return 0;
}

}  // namespace larkspur::cli
