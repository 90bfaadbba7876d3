// larkspur-cli submit --engine browser (larkspur-browser-submit: Qt WebEngine
// without a window) against --engine http, both run as a user runs them, on
// the target farm: the same states and the same submitted values wherever a
// page needs no script, each engine's own outcome where it does; a run with
// no display settings in the environment at all; Ctrl-C.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/fixed_text.h"
#include "core/project.h"
#include "core/targets_text.h"
#include "tests/cli/run_cli.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/temp_dir.h"
#include "web/http_engine.h"

namespace larkspur::test {
namespace {

using farm::FarmTarget;
using farm::ReceivedRequest;
using Outcome = std::pair<std::string, std::string>;  // state, message

constexpr const char* kUrl = "http://www.example-bakery.com/";
constexpr int kRunWaitMs = 180'000;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string finishedLine(int ok, int failed) {
  return "Submit finished, " + std::to_string(ok) + " sucessed, " + std::to_string(failed) + " error.\n";
}

std::string requestLine(const ReceivedRequest& q) { return q.method + " " + q.path; }

class BrowserSubmit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site.start());
    ASSERT_TRUE(site.writeTargetsFile(targets));
  }

  std::string newProject(const std::string& name) {
    const std::string path = dir.file(name).string();
    const CliResult made = runCli({"new", path, "--url", kUrl, "--title", "Bäckerei Berg", "--email",
                                   "owner@example-bakery.com", "--first-name", "Anna", "--last-name", "Berg",
                                   "--country", "Germany", "--category", "Business", "--keywords",
                                   "bakery, bread, cakes", "--long-description", "Fresh bread every day."});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return path;
  }

  // Every farm target's saved state and message, by key.
  std::map<std::string, Outcome> saved(const std::string& project) {
    std::vector<core::EngineRecord> source;
    for (const FarmTarget& t : site.targets()) source.push_back(t.record);
    core::Project p;
    p.setEngineSource(source);
    std::map<std::string, Outcome> out;
    if (!p.open(project).ok()) return out;
    for (const FarmTarget& t : site.targets()) {
      for (std::size_t i = 0; i < p.engines.size(); ++i) {
        const core::EngineRecord& r = *p.engines.at(i);
        if (r.name.view() != t.record.name.view()) continue;
        out[t.key] = {std::string(r.submit_state.view()), std::string(r.message.view())};
      }
    }
    return out;
  }

  std::string targetsOf(const std::vector<std::string>& keys) {
    const std::string path = dir.file("some.tsv").string();
    std::string text;
    for (const std::string& key : keys) text += core::formatTargetLine(site.target(key)->record) + "\n";
    writeFile(path, text);
    return path;
  }

  TempDir dir;
  std::string targets = dir.file("farm.tsv").string();
  farm::TargetFarm site;
};

TEST_F(BrowserSubmit, BothEnginesOverTheWholeFarm) {
  const std::string httpProject = newProject("http.lkr");
  const std::string browserProject = newProject("browser.lkr");
  // At the same time, on the same farm: the HTTP engine's requests carry its
  // agent string, Chromium's its own. Chromium on a busy machine gets longer
  // for the targets that do decide.
  RunningCli http({"submit", httpProject, "--targets-file", targets, "--time-out", "2", "--engine", "http"});
  RunningCli browser({"submit", browserProject, "--targets-file", targets, "--time-out", "8", "--engine", "browser"});
  ASSERT_TRUE(http.started() && browser.started());
  ASSERT_EQ(http.waitExit(kRunWaitMs), 0) << http.err();
  ASSERT_EQ(browser.waitExit(kRunWaitMs), 0) << browser.err() << browser.out();

  const std::vector<FarmTarget> all = site.targets();
  int httpOk = 0, browserOk = 0;
  for (const FarmTarget& t : all) {
    httpOk += t.expectedState == "Submit-OK" ? 1 : 0;
    browserOk += t.browserState == "Submit-OK" ? 1 : 0;
  }
  const int total = static_cast<int>(all.size());
  EXPECT_TRUE(contains(http.out(), finishedLine(httpOk, total - httpOk))) << http.out();
  EXPECT_TRUE(contains(browser.out(), finishedLine(browserOk, total - browserOk))) << browser.out();
  EXPECT_TRUE(contains(browser.out(), "Saved " + browserProject));
  EXPECT_EQ(browser.err(), "");

  const std::map<std::string, Outcome> byHttp = saved(httpProject);
  const std::map<std::string, Outcome> byBrowser = saved(browserProject);
  for (const FarmTarget& t : all) {
    SCOPED_TRACE(t.key);
    EXPECT_EQ(byHttp.at(t.key), Outcome(t.expectedState, t.expectedMessage));
    EXPECT_EQ(byBrowser.at(t.key), Outcome(t.browserState, t.browserMessage));
    if (!t.needsScript) {
      EXPECT_EQ(byBrowser.at(t.key), byHttp.at(t.key));
    }
  }

  // The values the farm received.
  for (const FarmTarget& t : all) {
    SCOPED_TRACE(t.key);
    const std::vector<ReceivedRequest> got = site.received(t.key);
    if (t.record.submit_type == core::kSubmitDirectRequest) {
      // Both engines request the address with the same fetch.
      ASSERT_EQ(got.size(), 2u);
      EXPECT_EQ(got[0].fields, got[1].fields);
      EXPECT_EQ(got[0].field("url"), kUrl);
      continue;
    }
    std::vector<ReceivedRequest> fromHttp, fromBrowser;
    for (const ReceivedRequest& q : got) (q.userAgent == web::kEngineAgent ? fromHttp : fromBrowser).push_back(q);
    ASSERT_FALSE(fromHttp.empty() || fromBrowser.empty());
    if (t.needsScript) continue;
    ASSERT_EQ(fromHttp.size(), fromBrowser.size());
    for (std::size_t i = 0; i < fromHttp.size(); ++i) {
      EXPECT_EQ(requestLine(fromBrowser[i]), requestLine(fromHttp[i]));
      EXPECT_EQ(fromBrowser[i].fields, fromHttp[i].fields) << requestLine(fromHttp[i]);
    }
  }

  // Where the page needs its scripts: what each engine sent last.
  struct Sent {
    const char* key;
    const char* browser;
    const char* http;
  };
  const Sent sent[] = {
      {"script-form", "POST /script-form/add", "GET /script-form/"},       // no form without the script
      {"script-post", "POST /script-post/api", "GET /script-post/"},       // the form goes to its own page
      {"script-field", "POST /script-field/add", "POST /script-field/add"},  // without the script's field
  };
  for (const Sent& s : sent) {
    SCOPED_TRACE(s.key);
    const FarmTarget t = *site.target(s.key);
    EXPECT_TRUE(t.needsScript);
    ReceivedRequest lastHttp, lastBrowser;
    for (const ReceivedRequest& q : site.received(s.key)) (q.userAgent == web::kEngineAgent ? lastHttp : lastBrowser) = q;
    EXPECT_EQ(requestLine(lastBrowser), s.browser);
    EXPECT_EQ(requestLine(lastHttp), s.http);
    EXPECT_EQ(lastBrowser.field("url"), kUrl);
  }
  for (const ReceivedRequest& q : site.received("script-field")) {
    if (q.method != "POST") continue;
    EXPECT_EQ(q.field("js_check"), q.userAgent == web::kEngineAgent ? "" : farm::kScriptFieldValue);
  }
  for (const ReceivedRequest& q : site.received("script-post")) {
    if (q.method == "POST") {
      EXPECT_EQ(q.field("email"), "owner@example-bakery.com");
    }
  }
}

// Pages larger than a page may be end as on the HTTP engine: the 4 MiB page
// still has its form sent; 100,000 options leave no form within the limit.
TEST_F(BrowserSubmit, OversizedPagesEndAsOnTheHttpEngine) {
  const std::string project = newProject("site.lkr");
  const CliResult r = runCli({"submit", project, "--targets-file", targetsOf({"huge-form", "many-options"}), "--engine",
                              "browser", "--time-out", "60"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* key : {"huge-form", "many-options"}) {
    const FarmTarget t = *site.target(key);
    EXPECT_TRUE(contains(r.out, std::string(t.record.name.view()) + ": " + t.expectedState)) << r.out;
    EXPECT_TRUE(contains(r.out, t.expectedMessage)) << r.out;
  }
}

TEST_F(BrowserSubmit, RunsWithoutAnyDisplaySettingsAndAsksTheServiceBase) {
  // Targets written for another server (a closed port) go to the farm, with
  // nothing in the environment that tells Qt or Chromium how to run.
  const std::string project = newProject("site.lkr");
  auto elsewhere = [this](auto& field) {
    std::string value(field.view());
    if (const auto at = value.find(site.baseUrl()); at != std::string::npos) {
      value.replace(at, site.baseUrl().size(), "http://127.0.0.1:1");
    }
    field.assign(value);
  };
  std::string text;
  for (const char* key : {"script-form", "direct", "first-button"}) {
    core::EngineRecord r = site.target(key)->record;
    elsewhere(r.submit_url);
    elsewhere(r.submit_hint);
    text += core::formatTargetLine(r) + "\n";
  }
  const std::string moved = dir.file("moved.tsv").string();
  writeFile(moved, text);

  const CliResult r = runCli({"submit", project, "--targets-file", moved, "--service-base", site.baseUrl(), "--engine",
                              "browser", "--time-out", "60"},
                             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",
                              "QTWEBENGINE_DISABLE_SANDBOX", "QTWEBENGINE_CHROMIUM_FLAGS"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, finishedLine(3, 0))) << r.out;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(site.received("script-form").back().field("url"), kUrl);
  EXPECT_EQ(site.received("direct").back().field("url"), kUrl);
  EXPECT_EQ(saved(project).at("script-form"), Outcome("Submit-OK", "Submit-OK"));
}

TEST_F(BrowserSubmit, InterruptActsAsCancelAndSavesWhatWasReached) {
  const std::string project = newProject("site.lkr");
  RunningCli cli(
      {"submit", project, "--targets-file", targetsOf({"first-button", "never-answers", "never-classifies"}),
       "--engine", "browser"});
  ASSERT_TRUE(cli.started());
  // The first target has its answer and its state is saved; the other two
  // wait for a page and for a verdict.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  auto ready = [&] {
    return !site.received("never-answers").empty() && site.received("never-classifies").size() == 2 &&
           saved(project)["first-button"].first == "Submit-OK";
  };
  while (!ready() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(ready()) << cli.out() << cli.err();
  cli.interrupt();
  EXPECT_EQ(cli.waitExit(2000), 130) << "ends within two seconds of Ctrl-C, with 130";
  EXPECT_TRUE(contains(cli.out(), "Cancelled: 1 of 3 targets processed, 1 succeeded, 0 failed.\n")) << cli.out();
  EXPECT_TRUE(contains(cli.out(), "Saved " + project));
  EXPECT_FALSE(contains(cli.out(), "Submit finished"));
  const std::map<std::string, Outcome> states = saved(project);
  EXPECT_EQ(states.at("first-button"), Outcome("Submit-OK", "Submit-OK"));
  for (const char* key : {"never-answers", "never-classifies"}) EXPECT_EQ(states.at(key), Outcome()) << key;
}

}  // namespace
}  // namespace larkspur::test
