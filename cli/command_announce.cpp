#include "cli/command_announce.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "announce/announcer.h"
#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/job_console.h"
#include "cli/service_base_option.h"
#include "core/event.h"
#include "core/fixed_text.h"
#include "core/project.h"

namespace larkspur::cli {

const char kAnnounceUsage[] =
    "announce PROJECT.lkr [--sitemap URL ... | --urls FILE] [--changed-only]\n"
    "       [--endpoint NAME|URL] [--key-location URL] [--check] [--service-base URL]\n"
    "      Tell IndexNow engines about the website's pages: those of its sitemaps\n"
    "      (named by robots.txt, else /sitemap.xml) or of a file of URLs. Checks\n"
    "      first what engines will see (robots.txt, sitemaps, key file, home page,\n"
    "      https); --check stops there. The key is made once and kept in the\n"
    "      project: publish it as ROOT/KEY.txt. --changed-only leaves out URLs\n"
    "      already announced with the same lastmod. --endpoint: IndexNow (the\n"
    "      default), Bing, Yandex, Seznam, Naver, Yep or an https URL.\n"
    "      Exit status 3: not ready (nothing was sent).";

namespace {

constexpr std::chrono::milliseconds kPoll{100};

}  // namespace

int runAnnounceCommand(const std::vector<std::string>& words) {
  Arguments args(words, {"sitemap", "urls", "endpoint", "key-location", "service-base"},
                 {"changed-only", "check", "help"});
  if (args.has("help")) {
    std::printf("Usage: larkspur-cli %s\n", kAnnounceUsage);
    return 0;
  }
  if (!args.error().empty()) return fail("announce: " + args.error(), 2);
  if (args.positional().size() != 1) return usageError(kAnnounceUsage);
  if (args.has("sitemap") && args.has("urls")) return fail("announce: give --sitemap or --urls, not both", 2);
  if (args.values("urls").size() > 1) return fail("announce: give --urls once", 2);
  if (int rc = applyServiceBaseOption(args, "announce")) return rc;

  const std::string path = args.positional()[0];
  core::Project project;
  if (core::Status opened = project.open(path); !opened.ok()) return fail(opened.message);

  announce::AnnounceOptions options;
  options.website = std::string(core::fieldView(project.profile.url));
  options.sitemaps = args.values("sitemap");
  if (auto file = args.value("urls")) options.urlFile = std::filesystem::path(*file);
  options.changedOnly = args.has("changed-only");
  options.checkOnly = args.has("check");
  options.endpoint = args.value("endpoint").value_or("IndexNow");
  options.keyLocation = args.value("key-location").value_or("");
  if (std::string problem = announce::websiteProblem(options.website); !problem.empty()) {
    return fail("announce: " + problem);
  }
  std::string endpointError;
  if (!announce::resolveEndpoint(options.endpoint, endpointError)) return fail("announce: " + endpointError, 2);

  core::Event stop;
  announce::RunHooks hooks;
  hooks.stop = &stop;
  hooks.progress = [](const std::string& line) {
    std::printf("%s\n", shown(line).c_str());
    std::fflush(stdout);
  };

  InterruptToStop interrupt;
  announce::AnnounceResult result;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    result = announce::runAnnouncement(project.announce, options, hooks);
    done.store(true);
  });
  while (!done.load()) {
    if (interrupt.interrupted()) stop.set();
    std::this_thread::sleep_for(kPoll);
  }
  worker.join();

  // What was made or sent is kept, even when the run was interrupted.
  if (result.stateChanged) {
    if (core::Status saved = project.save(path); !saved.ok()) return fail(saved.message);
  }
  if (result.outcome == announce::Outcome::Stopped || interrupt.interrupted()) {
    std::fprintf(stderr, "larkspur-cli: announce: interrupted\n");
    return kInterruptedExit;
  }
  switch (result.outcome) {
    case announce::Outcome::Ready:
    case announce::Outcome::Announced:
      std::printf("%s\n", shown(result.message).c_str());
      return 0;
    case announce::Outcome::NotReady:
      return fail("announce: " + result.message, kNotReadyExit);
    default:
      return fail("announce: " + result.message);
  }
}

}  // namespace larkspur::cli
