// larkspur-cli: Larkspur's jobs without a window.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/command_announce.h"
#include "cli/command_links.h"
#include "cli/command_pagerank.h"
#include "cli/command_report.h"
#include "cli/command_services.h"
#include "cli/command_submit.h"
#include "cli/commands.h"
#include "larkspur_version.h"

namespace {

using larkspur::cli::Words;

struct Command {
  const char* name;
  int (*run)(const Words&);
  const char* usage;
};

// In the order --help lists them; each command's usage lines stand beside it.
const Command kCommands[] = {
    {"new", larkspur::cli::runNewCommand, larkspur::cli::kNewUsage},
    {"set", larkspur::cli::runSetCommand, larkspur::cli::kSetUsage},
    {"show", larkspur::cli::runShowCommand, larkspur::cli::kShowUsage},
    {"targets", larkspur::cli::runTargetsCommand, larkspur::cli::kTargetsUsage},
    {"submit", larkspur::cli::runSubmitCommand, larkspur::cli::kSubmitUsage},
    {"links", larkspur::cli::runLinksCommand, larkspur::cli::kLinksUsage},
    {"report", larkspur::cli::runReportCommand, larkspur::cli::kReportUsage},
    {"announce", larkspur::cli::runAnnounceCommand, larkspur::cli::kAnnounceUsage},
    {"pagerank", larkspur::cli::runPagerankCommand, larkspur::cli::kPagerankUsage},
    {"services", larkspur::cli::runServicesCommand, larkspur::cli::kServicesUsage},
};

void printHelp() {
  std::printf(
      "Usage: larkspur-cli COMMAND [ARGUMENTS]\n"
      "       larkspur-cli --help | --version\n\n"
      "Announce a website to search engines and directories, without a window.\n\n"
      "Commands:\n");
  for (const Command& c : kCommands) std::printf("  %s\n", c.usage);
  std::printf(
      "\nProfile options (new, set):\n"
      "  --url URL  --title T  --email E  --first-name N  --last-name N  --user U\n"
      "  --password P  --password-file FILE  --zip Z  --city C  --address A\n"
      "  --country C  --category C  --category-addon C  --telephone T\n"
      "  --keywords K  --short-description D (80 characters at most)\n"
      "  --long-description D\n"
      "  Values longer than their field are cut with a warning. --password-file\n"
      "  reads the password from a file so it does not show in the process list.\n\n"
      "Exit status: 0 on success, 1 when the job failed, 2 on a usage error,\n"
      "3 when announce finds the website not ready, 130 when Ctrl-C ended the job.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printHelp();
    return 2;
  }
  std::string first = argv[1];
  if (first == "--help" || first == "-h" || first == "help") {
    printHelp();
    return 0;
  }
  if (first == "--version") {
    std::printf("larkspur-cli %s\n", LARKSPUR_VERSION);
    return 0;
  }
  Words args(argv + 2, argv + argc);
  for (const Command& c : kCommands) {
    if (first == c.name) return c.run(args);
  }
  return larkspur::cli::fail("unknown command '" + first + "' (see larkspur-cli --help)", 2);
}
