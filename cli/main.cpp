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

const Command kCommands[] = {
    {"new", larkspur::cli::runNewCommand,
     "new PROJECT.lkr --url URL [profile options] [--force]\n"
     "      Create a project with a fresh target table and that website profile."},
    {"set", larkspur::cli::runSetCommand,
     "set PROJECT.lkr [profile options]\n"
     "      Change profile fields of a project and save it."},
    {"show", larkspur::cli::runShowCommand,
     "show PROJECT.lkr [--json] [--show-password]\n"
     "      Print the profile, every target with its state and every link."},
    {"targets", larkspur::cli::runTargetsCommand,
     "targets\n"
     "      List the built-in targets (name, country, type, rank, submit URL)."},
    {"submit", larkspur::cli::runSubmitCommand,
     "submit PROJECT.lkr [--all | --reset | --target NAME ...] [--targets-file FILE]\n"
     "       [--service-base URL] [--time-out SECONDS] [--engine http|browser]\n"
     "      Submit the website to the automatic targets (--all: every one, the\n"
     "      default; --reset: those not yet \"Submit-OK\"; --target: the named ones)\n"
     "      and save the new states. Ctrl-C cancels and saves. --engine browser\n"
     "      runs the pages' scripts on the desktop program's engine, without a\n"
     "      window (needs larkspur-browser-submit beside larkspur-cli)."},
    {"links", larkspur::cli::runLinksCommand, larkspur::cli::kLinksUsage},
    {"report", larkspur::cli::runReportCommand, larkspur::cli::kReportUsage},
    {"announce", larkspur::cli::runAnnounceCommand, larkspur::cli::kAnnounceUsage},
    {"pagerank", larkspur::cli::runPagerankCommand,
     "pagerank URL [--service-base URL]\n"
     "      Print the toolbar checksum, the request URL and the PageRank of URL."},
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
