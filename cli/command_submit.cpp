// submit on the HTTP engine, in this program; with "--engine browser" this
// program becomes larkspur-browser-submit, which runs the same submit on
// Qt WebEngine. That program links Qt; this one never does, so the other
// commands and HTTP submissions start and run as light as ever.

#include "cli/command_submit.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli_output.h"
#include "cli/submit_run.h"
#include "core/fixed_text.h"
#include "core/service_hosts.h"
#include "submit/thread_starter.h"

namespace larkspur::cli {

namespace {

constexpr char kBrowserProgram[] = "larkspur-browser-submit";

// Sessions on threads of their own, each with an HTTP engine; the batch loop
// on this thread.
class HttpSubmitEngine : public SubmitEngine {
 public:
  const char* name() const override { return kHttpEngine; }

  submit::TargetStarter& starter(const submit::SubmissionContext& context,
                                 const std::vector<core::EngineRecord*>& targets) override {
    // The HTTP engine loads a record's addresses as they are: with a service
    // base set they are moved to it here. (The saved project keeps only
    // states and messages.)
    if (!core::serviceBase().empty()) {
      for (core::EngineRecord* r : targets) {
        r->submit_url = core::effectiveServiceUrl(r->submit_url.view());
        if (r->submit_type == core::kSubmitDirectRequest) {
          r->submit_hint = core::effectiveServiceUrl(r->submit_hint.view());
        }
      }
    }
    starter_ = std::make_unique<submit::ThreadStarter>(context);
    return *starter_;
  }

  submit::BatchLoopEnd run(submit::Batch& batch, core::MessageQueue& queue,
                           const std::atomic<bool>& cancelRequest) override {
    return submit::runBatchLoop(batch, queue, cancelRequest);
  }

  bool abandon(std::chrono::milliseconds bound) override { return starter_->abandon(bound); }

  void finish() override {
    starter_->joinAll();
    starter_.reset();
  }

 private:
  std::unique_ptr<submit::ThreadStarter> starter_;
};

// The folder this program was started from.
std::filesystem::path programFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

// Replaces this process with larkspur-browser-submit and the same words:
// the process, its Ctrl-C and its exit code stay the user's. Returns only
// when that cannot be done.
int runOnBrowserEngine(const std::vector<std::string>& words) {
  const std::filesystem::path folder = programFolder();
  const std::filesystem::path program = folder / kBrowserProgram;
  if (folder.empty() || ::access(program.c_str(), X_OK) != 0) {
    return fail("submit: --engine browser needs " + std::string(kBrowserProgram) + " next to larkspur-cli" +
                (folder.empty() ? std::string() : " in " + folder.string()) +
                "; it is built and installed with the desktop program");
  }
  std::vector<std::string> all{program.string()};
  all.insert(all.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& word : all) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  ::execv(program.c_str(), argv.data());
  return fail("submit: cannot start " + program.string() + ": " + std::strerror(errno));
}

}  // namespace

const char kSubmitUsage[] =
    "submit PROJECT.lkr [--all | --reset | --target NAME ...] [--targets-file FILE]\n"
    "       [--include-unhealthy] [--service-base URL] [--time-out SECONDS] [--engine http|browser]\n"
    "      Submit the website to the automatic targets (--all: every one, the\n"
    "      default; --reset: those not yet \"Submit-OK\"; --target: the named ones)\n"
    "      and save the new states. --all and --reset leave out the targets whose\n"
    "      last check (targets check) found them no-form, moved, parked, gone or\n"
    "      unreachable, unless --include-unhealthy. Ctrl-C cancels and saves. --engine browser\n"
    "      runs the pages' scripts on the desktop program's engine, without a\n"
    "      window (needs larkspur-browser-submit beside larkspur-cli).";

int runSubmitCommand(const std::vector<std::string>& words) {
  const Arguments args = submitArguments(words);
  if (args.error().empty() && args.value("engine") == std::optional<std::string>(kBrowserEngine)) {
    return runOnBrowserEngine(words);
  }
  HttpSubmitEngine engine;
  return runSubmit(words, engine);
}

}  // namespace larkspur::cli
