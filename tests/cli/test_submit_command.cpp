// larkspur-cli submit over the target farm: every target's final state and
// message in the saved project, the lines printed, the values the farm
// received, target selection, usage errors and Ctrl-C.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/builtin_engines.h"
#include "core/fixed_text.h"
#include "core/project.h"
#include "core/targets_text.h"
#include "tests/cli/run_cli.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/temp_dir.h"


namespace larkspur::test {
namespace {

using farm::FarmTarget;
using farm::ReceivedRequest;

constexpr const char* kUrl = "http://www.example-bakery.com/";
constexpr const char* kTitle = "Bäckerei Berg";
constexpr const char* kAddress = "Bäckerstraße 1";
constexpr const char* kDescription = "A family bakery with fresh bread and cakes every day.";
constexpr const char* kKeywords = "bakery, bread, cakes";
constexpr const char* kEmail = "owner@example-bakery.com";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The line a final report prints.
std::string finalLine(const FarmTarget& t) {
  std::string line = std::string(t.record.name.view()) + ": " + t.expectedState;
  if (t.expectedMessage != t.expectedState && !t.expectedMessage.empty()) line += ": " + t.expectedMessage;
  return line + "\n";
}

class SubmitCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!contains(runCli({"--help"}).out, "submit PROJECT.lkr")) {
      GTEST_SKIP() << "larkspur-cli has no submit command wired in";
    }
    ASSERT_TRUE(site.start());
    ASSERT_TRUE(site.writeTargetsFile(targets));
    CliResult created = runCli({"new", project, "--url", kUrl, "--title", kTitle, "--email", kEmail,
                                "--first-name", "Anna", "--last-name", "Berg", "--country", "Germany",
                                "--category", "Business", "--keywords", kKeywords, "--address", kAddress,
                                "--long-description", kDescription});
    ASSERT_EQ(created.exitCode, 0) << created.err;
  }

  // The project as saved, with the farm's targets as its table.
  void openWithFarmTargets(core::Project& p, std::vector<core::EngineRecord>& source) {
    for (const FarmTarget& t : site.targets()) source.push_back(t.record);
    p.setEngineSource(source);
    ASSERT_TRUE(p.open(project).ok());
  }

  TempDir dir;
  std::string project = dir.file("bakery.lkr").string();
  std::string targets = dir.file("farm.tsv").string();
  farm::TargetFarm site;
};

TEST_F(SubmitCommand, AllTargetsOfTheFarmEndAsExpectedAndAreSaved) {
  // A state of a built-in target, which the farm's table does not hold.
  {
    core::Project p;
    ASSERT_TRUE(p.open(project).ok());
    p.engines.at(0)->submit_state.assign("Submit-OK");
    p.engines.at(0)->message.assign("Already Submited!");
    ASSERT_TRUE(p.save(project).ok());
  }

  CliResult r = runCli({"submit", project, "--all", "--targets-file", targets, "--time-out", "2"});
  ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
  const std::vector<FarmTarget> all = site.targets();
  int ok = 0;
  for (const FarmTarget& t : all) ok += t.expectedState == "Submit-OK" ? 1 : 0;
  EXPECT_TRUE(contains(r.out, "Submitting http://www.example-bakery.com/ to " + std::to_string(all.size()) + " targets\n"));
  EXPECT_TRUE(contains(r.out, "Submit finished, " + std::to_string(ok) + " sucessed, " +
                                  std::to_string(all.size() - ok) + " error.\n"))
      << r.out;
  EXPECT_TRUE(contains(r.out, "Saved " + project));
  EXPECT_FALSE(contains(r.out, "\x1b[")) << "no status line when the output is not a terminal";

  core::Project saved;
  std::vector<core::EngineRecord> source;
  openWithFarmTargets(saved, source);
  ASSERT_EQ(saved.engines.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    const FarmTarget& t = all[i];
    SCOPED_TRACE(t.key);
    EXPECT_EQ(saved.engines.at(i)->submit_state.view(), t.expectedState);
    EXPECT_EQ(saved.engines.at(i)->message.view(), t.expectedMessage);
    const std::string name(t.record.name.view());
    EXPECT_TRUE(contains(r.out, name + ": Connect to 127.0.0.1\n"));
    EXPECT_TRUE(contains(r.out, finalLine(t))) << finalLine(t);
    if (t.record.submit_type != core::kSubmitDirectRequest && t.key != "missing" && t.key != "never-answers") {
      EXPECT_TRUE(contains(r.out, name + ": Post data.\n"));
    }
  }
  // The built-in target's state survived a run over another table.
  core::Project builtIn;
  ASSERT_TRUE(builtIn.open(project).ok());
  EXPECT_EQ(builtIn.engines.at(0)->message.view(), "Already Submited!");

  // What the farm received.
  auto last = [this](const std::string& key) {
    const std::vector<ReceivedRequest> got = site.received(key);
    EXPECT_FALSE(got.empty()) << key;
    return got.empty() ? ReceivedRequest{} : got.back();
  };
  const ReceivedRequest first = last("first-button");
  EXPECT_EQ(first.method, "POST");
  EXPECT_EQ(first.path, "/first-button/add");
  EXPECT_EQ(first.contentType, "application/x-www-form-urlencoded");
  const std::multimap<std::string, std::string> expected = {
      {"action", "add"},       {"token", "f7c2a9"},      {"url", kUrl},
      {"title", kTitle},       {"description", kDescription}, {"keywords", kKeywords},
      {"contact_name", "Anna Berg"}, {"email", kEmail},  {"newsletter", "yes"},
      {"submit", "Add Site"}};
  EXPECT_EQ(first.fields, expected);

  const ReceivedRequest caption = last("caption");
  EXPECT_EQ(caption.field("go"), "Add URL");
  EXPECT_FALSE(caption.has("preview"));
  EXPECT_EQ(caption.field("url"), kUrl);
  EXPECT_EQ(caption.field("email"), kEmail);

  const ReceivedRequest image = last("image-input");
  EXPECT_EQ(image.field("addsite.x"), "0");
  EXPECT_EQ(image.field("addsite.y"), "0");
  EXPECT_EQ(image.field("title"), kTitle);

  const ReceivedRequest imageLink = last("image-link");
  EXPECT_EQ(imageLink.method, "GET");
  EXPECT_EQ(imageLink.path, "/image-link/add");
  EXPECT_EQ(imageLink.field("via"), "image");

  EXPECT_EQ(last("direct").field("url"), kUrl);
  EXPECT_EQ(last("textarea").field("site_url"), kUrl);
  EXPECT_EQ(last("textarea").field("comments"), kDescription);
  EXPECT_EQ(last("lists").field("country"), "Germany");
  EXPECT_EQ(last("lists").field("cat"), "biz");
  EXPECT_EQ(last("two-buttons").field("go1"), "Submit");
  EXPECT_FALSE(last("two-buttons").has("go2"));
  EXPECT_EQ(last("latin1").field("titel"), kTitle);
  EXPECT_EQ(last("latin1").field("address"), kAddress);
  EXPECT_EQ(last("get-form").method, "GET");
  EXPECT_EQ(last("get-form").field("title"), kTitle);
  const ReceivedRequest multipart = last("multipart");
  EXPECT_TRUE(contains(multipart.contentType, "multipart/form-data; boundary="));
  EXPECT_EQ(multipart.field("url"), kUrl);
  EXPECT_EQ(multipart.field("description"), kDescription);
  EXPECT_TRUE(contains(last("cookie").cookie, "farm_session=s"));
  EXPECT_EQ(last("frame").path, "/frame/add");
  EXPECT_EQ(last("frame").field("email"), kEmail);

  std::vector<std::string> redirect;
  for (const ReceivedRequest& q : site.received("redirect")) redirect.push_back(q.method + " " + q.path);
  EXPECT_EQ(redirect, (std::vector<std::string>{"GET /redirect/", "POST /redirect/add", "GET /redirect/done"}));
  EXPECT_EQ(site.received("url-after-button").size(), 1u) << "the button before the URL field is never clicked";
  EXPECT_EQ(site.received("script-only").size(), 1u) << "a script-only button sends nothing";
  EXPECT_EQ(last("never-classifies").field("url"), kUrl);
  for (const FarmTarget& t : all) {
    for (const ReceivedRequest& q : site.received(t.key)) EXPECT_EQ(q.userAgent, "Microsoft Internet Explorer");
  }
}

// Compression bombs, pages of 4 and 50 MB, 100,000 options, 200,000 levels:
// each ends at once with what the page allowed (the form of the 4 MiB page
// is still sent), and the whole batch stays within 100 MB.
TEST_F(SubmitCommand, OversizedPagesEndAtOnceWithinBoundedMemory) {
  std::string text;
  for (const FarmTarget& t : site.oversizedTargets()) text += core::formatTargetLine(t.record) + "\n";
  writeFile(dir.file("big.tsv"), text);
  const auto start = std::chrono::steady_clock::now();
  const CliResult r = runCli({"submit", project, "--targets-file", dir.file("big.tsv").string(), "--time-out", "60"});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const FarmTarget& t : site.oversizedTargets()) EXPECT_TRUE(contains(r.out, finalLine(t))) << finalLine(t) << r.out;
  EXPECT_LT(seconds, 30.0) << "a target was left to its time-out";
#if !defined(__SANITIZE_ADDRESS__)  // the sanitiser's shadow and quarantine are no measure of the program's
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_LT(children.ru_maxrss, 100 * 1024) << "peak of the batch in kB";
#endif
}

TEST_F(SubmitCommand, ResetSubmitsWhatIsNotOkAndTargetPicksByName) {
  farm::TargetFarm& f = site;
  std::string text = "# three farm targets\n";
  for (const char* key : {"first-button", "missing", "already"}) text += core::formatTargetLine(f.target(key)->record) + "\n";
  const std::string small = dir.file("small.tsv").string();
  writeFile(small, text);

  CliResult all = runCli({"submit", project, "--targets-file", small});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_TRUE(contains(all.out, "to 3 targets"));
  EXPECT_TRUE(contains(all.out, "Submit finished, 2 sucessed, 1 error."));

  site.clearReceived();
  CliResult reset = runCli({"submit", project, "--reset", "--targets-file", small});
  ASSERT_EQ(reset.exitCode, 0) << reset.err;
  EXPECT_TRUE(contains(reset.out, "to 1 targets"));
  EXPECT_TRUE(contains(reset.out, "Farm Missing Page: Submit-Error: Object not found."));
  EXPECT_TRUE(site.received("first-button").empty());

  CliResult picked = runCli({"submit", project, "--target", "Farm Already", "--targets-file", small});
  ASSERT_EQ(picked.exitCode, 0) << picked.err;
  EXPECT_TRUE(contains(picked.out, "to 1 targets"));
  EXPECT_TRUE(contains(picked.out, "Farm Already: Submit-OK: Already Submited!"));
  EXPECT_TRUE(contains(picked.out, "Submit finished, 1 sucessed, 0 error."));
}

TEST_F(SubmitCommand, ServiceBaseSendsEveryTargetToThatServer) {
  // Targets written for another server (a closed port here) go to the farm.
  core::EngineRecord form = site.target("first-button")->record;
  core::EngineRecord direct = site.target("direct")->record;
  const std::string elsewhere = "http://127.0.0.1:1";
  form.submit_url.assign(elsewhere + "/first-button/");
  direct.submit_url.assign(elsewhere + "/direct/");
  direct.submit_hint.assign(elsewhere + "/direct/add?url=%URL%");
  const std::string moved = dir.file("moved.tsv").string();
  writeFile(moved, core::formatTargetLine(form) + "\n" + core::formatTargetLine(direct) + "\n");

  CliResult r = runCli({"submit", project, "--targets-file", moved, "--service-base", site.baseUrl()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "Submit finished, 2 sucessed, 0 error.")) << r.out;
  EXPECT_EQ(site.received("first-button").size(), 2u);
  ASSERT_EQ(site.received("direct").size(), 1u);
  EXPECT_EQ(site.received("direct")[0].field("url"), kUrl);
}

TEST_F(SubmitCommand, UsageAndFileErrors) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* message;
  } cases[] = {
      {{"submit"}, 2, "usage: larkspur-cli submit"},
      {{"submit", project, "--all", "--reset"}, 2, "choose one of"},
      {{"submit", project, "--all", "--bogus"}, 2, "unknown option --bogus"},
      {{"submit", project, "--target", "No Such Engine", "--targets-file", targets}, 2, "no target named"},
      {{"submit", project, "--time-out", "0"}, 2, "--time-out"},
      {{"submit", project, "--service-base", "ftp://x"}, 2, "--service-base"},
      {{"submit", project, "--engine", "chrome"}, 2, "--engine wants http or browser, not 'chrome'"},
      {{"submit", project, "--targets-file", dir.file("none.tsv").string()}, 1, "cannot be read"},
      {{"submit", dir.file("none.lkr").string(), "--targets-file", targets}, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    CliResult r = runCli(c.args);
    EXPECT_EQ(r.exitCode, c.code) << r.err;
    EXPECT_TRUE(contains(r.err, c.message)) << r.err;
  }
  EXPECT_TRUE(site.received("first-button").empty());
}

TEST_F(SubmitCommand, BrowserEngineSaysWhenItsProgramIsMissing) {
  // A copy of larkspur-cli in a folder of its own has no larkspur-browser-submit beside it.
  const std::filesystem::path alone = dir.file("alone");
  std::filesystem::create_directory(alone);
  std::filesystem::copy_file(LARKSPUR_CLI_PATH, alone / "larkspur-cli");
  const std::string err = dir.file("err").string();
  const std::string command =
      (alone / "larkspur-cli").string() + " submit " + project + " --engine browser 2>" + err + " >/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(readFile(err), "larkspur-cli: submit: --engine browser needs larkspur-browser-submit next to larkspur-cli in " +
                               alone.string() + "; it is built and installed with the desktop program\n");
  EXPECT_TRUE(site.received("first-button").empty());
}

TEST_F(SubmitCommand, InterruptActsAsCancelAndSavesWhatWasReached) {
  std::string text;
  for (const char* key : {"first-button", "never-answers", "already"}) {
    text += core::formatTargetLine(site.target(key)->record) + "\n";
  }
  const std::string small = dir.file("hang.tsv").string();
  writeFile(small, text);
  RunningCli cli({"submit", project, "--targets-file", small});
  ASSERT_TRUE(cli.started());

  // Wait for the first target's answer and the second target's hanging page.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while ((site.received("never-answers").empty() || site.received("first-button").size() < 2) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // The state reached is in the file while the batch still runs: nothing
  // reached is lost if the process dies.
  auto savedState = [this](const char* name) {
    core::Project saved;
    std::vector<core::EngineRecord> source;
    for (const FarmTarget& t : site.targets()) source.push_back(t.record);
    saved.setEngineSource(source);
    if (!saved.open(project).ok()) return std::string("(unreadable)");
    for (std::size_t i = 0; i < saved.engines.size(); ++i) {
      if (saved.engines.at(i)->name.view() == name) {
        return std::string(saved.engines.at(i)->submit_state.view());
      }
    }
    return std::string("(missing)");
  };
  while (savedState("Farm First Button") != "Submit-OK" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(savedState("Farm First Button"), "Submit-OK");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  cli.interrupt();
  EXPECT_EQ(cli.waitExit(2000), 130) << "ends within two seconds of Ctrl-C, with 130";
  const std::string printed = cli.out();
  EXPECT_TRUE(contains(printed, "Cancelled: 1 of 3 targets processed, 1 succeeded, 0 failed.")) << printed;
  EXPECT_FALSE(contains(printed, "Submit finished"));

  EXPECT_EQ(savedState("Farm First Button"), "Submit-OK");
  // The interrupted session reported nothing more; the third never started.
  EXPECT_EQ(savedState("Farm Never Answers"), "");
  EXPECT_EQ(savedState("Farm Already"), "");
}

}  // namespace
}  // namespace larkspur::test
