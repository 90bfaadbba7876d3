// scripts/many-sites over three projects on this machine, against the target
// farm: every project comes back with its states, and the deploy manifests
// are well-formed.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/project.h"
#include "core/targets_text.h"
#include "tests/cli/run_cli.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

// Runs a shell command line; its exit status and what it printed.
CliResult shell(const std::string& line) {
  CliResult result;
  FILE* pipe = ::popen((line + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(ManySites, EveryProjectComesBackWithItsStates) {
  farm::TargetFarm site;
  ASSERT_TRUE(site.start());
  TempDir dir;
  std::vector<core::EngineRecord> source;
  {
    std::ofstream file(dir.file("farm.tsv"));
    for (const char* key : {"first-button", "caption"}) {
      source.push_back(site.target(key)->record);
      file << core::formatTargetLine(source.back()) << "\n";
    }
  }
  std::string projects;
  for (const char* name : {"a", "b", "c"}) {
    ASSERT_EQ(runCli({"new", dir.file(std::string(name) + ".lkr").string(), "--url",
                      std::string("http://www.") + name + "-bakery.example/"})
                  .exitCode,
              0);
    projects += std::string(" ") + name + ".lkr";
  }
  const CliResult run = shell("cd " + dir.path().string() + " && LARKSPUR_CLI=" LARKSPUR_CLI_PATH " " LARKSPUR_SOURCE_DIR
                              "/scripts/many-sites --jobs 3 --joblog night.log -- submit {} --targets-file farm.tsv"
                              " --time-out 20 --" + projects);
  ASSERT_EQ(run.exitCode, 0) << run.out;
  for (const char* name : {"a", "b", "c"}) {
    core::Project p;
    p.setEngineSource(source);
    ASSERT_TRUE(p.open(dir.file(std::string(name) + ".lkr")).ok());
    for (std::size_t i = 0; i < source.size(); ++i) EXPECT_EQ(p.engines.at(i)->submit_state, "Submit-OK") << name;
  }
  std::ifstream log(dir.file("night.log"));
  const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(logged.find("submit c.lkr"), std::string::npos) << logged;
}

TEST(ManySites, TheDeployManifestsAreWellFormed) {
  const CliResult checked = shell(
      "/usr/bin/python3 -c 'import sys, yaml\n"
      "for name in sys.argv[1:]:\n"
      "    docs = [d for d in yaml.safe_load_all(open(name)) if d]\n"
      "    assert docs and all(\"kind\" in d and \"apiVersion\" in d for d in docs), name\n"
      "    print(name, [d[\"kind\"] for d in docs])' " LARKSPUR_SOURCE_DIR "/deploy/*.yaml");
  EXPECT_EQ(checked.exitCode, 0) << checked.out;
  EXPECT_NE(checked.out.find("'Job'"), std::string::npos) << checked.out;
  EXPECT_NE(checked.out.find("'CronJob'"), std::string::npos) << checked.out;
}

}  // namespace
}  // namespace larkspur::test
