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
#include "cli/job_console.h"
#include "core/project_lock.h"
#include "larkspur_version.h"

namespace {

using larkspur::cli::Words;

constexpr int kProjectBusyExit = 4;

struct Command {
  const char* name;
  int (*run)(const Words&);
  const char* usage;
  // Where the project a job saves is among the words after the command:
  // 0 for the first word, 1 after a sub-command ("links import P"); -1 for
  // commands that save no project.
  int project = -1;
};

// In the order --help lists them; each command's usage lines stand beside it.
const Command kCommands[] = {
    {"new", larkspur::cli::runNewCommand, larkspur::cli::kNewUsage, 0},
    {"set", larkspur::cli::runSetCommand, larkspur::cli::kSetUsage, 0},
    {"show", larkspur::cli::runShowCommand, larkspur::cli::kShowUsage},
    {"targets", larkspur::cli::runTargetsCommand, larkspur::cli::kTargetsUsage, 1},
    {"submit", larkspur::cli::runSubmitCommand, larkspur::cli::kSubmitUsage, 0},
    {"links", larkspur::cli::runLinksCommand, larkspur::cli::kLinksUsage, 1},
    {"report", larkspur::cli::runReportCommand, larkspur::cli::kReportUsage},
    {"announce", larkspur::cli::runAnnounceCommand, larkspur::cli::kAnnounceUsage, 0},
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
      "A command that saves a project (new, set, targets check, submit, links,\n"
      "announce) holds the project's lock (PROJECT.lock beside it) for its whole\n"
      "run; a second one on the same project stops with exit status 4, or waits\n"
      "for it with --wait.\n\n"
      "Exit status: 0 on success, 1 when the job failed, 2 on a usage error,\n"
      "3 when announce finds the website not ready, 4 when another job holds the\n"
      "project, 130 when Ctrl-C ended the job.\n");
}

// The project the words name at `position` (ignoring options and their
// values is not needed: every command names its project first), or "".
std::string projectOf(const Words& words, int position) {
  if (position < 0 || words.size() <= static_cast<std::size_t>(position)) return {};
  const std::string& word = words[static_cast<std::size_t>(position)];
  return word.starts_with("-") ? std::string() : word;
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
  const bool wait = std::erase(args, std::string("--wait")) > 0;
  for (const Command& c : kCommands) {
    if (first != c.name) continue;
    // Read-only sub-commands take no lock.
    const bool reads = (first == "targets" && (args.empty() || args[0] != "check")) ||
                       (first == "links" && !args.empty() && args[0] == "export");
    const std::string project = reads ? std::string() : projectOf(args, c.project);
    larkspur::core::ProjectLock lock;
    if (!project.empty()) {
      larkspur::cli::InterruptToStop interrupt;
      lock = larkspur::core::ProjectLock::acquire(project, "larkspur-cli", wait, &interrupt.flag());
      if (!lock.held()) {
        if (interrupt.interrupted()) return larkspur::cli::kInterruptedExit;
        return larkspur::cli::fail(lock.error(), lock.busy() ? kProjectBusyExit : 1);
      }
    }
    return c.run(args);
  }
  return larkspur::cli::fail("unknown command '" + first + "' (see larkspur-cli --help)", 2);
}
