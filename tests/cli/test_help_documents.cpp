// The manual page and the bash completion keep up with `larkspur-cli --help`:
// every command it lists, and every option it names.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_dir.h"

namespace larkspur::test {
namespace {

const std::string kManPage = LARKSPUR_SOURCE_DIR "/docs/man/larkspur-cli.1.in";
const std::string kCompletion = LARKSPUR_SOURCE_DIR "/cli/data/larkspur-cli.bash";

std::set<std::string> optionsIn(const std::string& text) {
  static const std::regex kOption("--[a-z][a-z-]*");
  std::set<std::string> options;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kOption); it != std::sregex_iterator(); ++it) {
    options.insert(it->str());
  }
  return options;
}

// A command of --help ("submit", "links add") and the options of its lines.
struct HelpCommand {
  std::string words;
  std::set<std::string> options;
};

struct Help {
  std::vector<HelpCommand> commands;
  std::set<std::string> allOptions;
};

// A command's lines start with two spaces and its lower-case words; the
// profile options belong to new and set.
Help readHelp() {
  const CliResult help = runCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  Help result{{}, optionsIn(help.out)};
  static const std::regex kCommandLine("^  ([a-z]+( [a-z]+)?)( [^a-z].*)?$");
  std::istringstream lines(help.out.substr(help.out.find("Commands:")));
  std::string line;
  std::smatch match;
  while (std::getline(lines, line) && !line.starts_with("Profile options")) {
    if (std::regex_match(line, match, kCommandLine)) result.commands.push_back({match[1], {}});
    if (!result.commands.empty()) result.commands.back().options.merge(optionsIn(line));
  }
  const std::string profile = help.out.substr(help.out.find("Profile options"));
  for (HelpCommand& command : result.commands) {
    if (command.words == "new" || command.words == "set") {
      command.options.merge(optionsIn(profile.substr(0, profile.find("\n\n"))));
    }
  }
  EXPECT_GE(result.commands.size(), 15u) << help.out;
  return result;
}

// The page's text: comments, request names and font changes left out.
std::string manPageText() {
  std::ifstream in(kManPage);
  std::string line, text;
  while (std::getline(in, line)) {
    if (line.starts_with(".\\\"")) continue;
    if (line.starts_with(".")) line = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
    line = std::regex_replace(line, std::regex(R"(\\f[BIRP]|")"), "");
    text += std::regex_replace(line, std::regex(R"(\\-)"), "-") + "\n";
  }
  return text;
}

TEST(CliHelpDocuments, ManPageDescribesEveryCommandAndOption) {
  const Help help = readHelp();
  const std::string text = "\n" + manPageText();
  for (const HelpCommand& command : help.commands) {
    const bool headed = text.find("\n" + command.words + " ") != std::string::npos ||
                        text.find("\n" + command.words + "\n") != std::string::npos;
    EXPECT_TRUE(headed) << "no entry for " << command.words;
  }
  const std::set<std::string> described = optionsIn(text);
  for (const std::string& option : help.allOptions) EXPECT_TRUE(described.count(option)) << option;
}

// What the completion offers for the words (the last one being completed),
// in a folder holding a project and a text file.
std::set<std::string> complete(std::vector<std::string> words) {
  static TempDir folder;
  writeFile(folder.file("site.lkr"), "");
  writeFile(folder.file("notes.txt"), "");
  words.insert(words.begin(), {"--norc", "--noprofile", "-c",
                               R"(source "$1"; cd "$2" || exit 1; shift 2; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
                                  _larkspur_cli; printf '%s\n' "${COMPREPLY[@]}")",
                               "bash", kCompletion, folder.path().string(), "larkspur-cli"});
  const CliResult r = runProgram("/bin/bash", words);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::set<std::string> offered;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) offered.insert(line);
  }
  return offered;
}

TEST(CliHelpDocuments, CompletionOffersCommandsTheirOptionsAndProjects) {
  std::set<std::string> expected{"--help", "--version"};
  for (const HelpCommand& command : readHelp().commands) {
    const std::string first = command.words.substr(0, command.words.find(' '));
    expected.insert(first);
    std::vector<std::string> words{first};
    if (first != command.words) {
      words.push_back(command.words.substr(first.size() + 1));
      EXPECT_TRUE(complete({first, ""}).count(words.back())) << command.words;
    }
    words.insert(words.end(), {"site.lkr", "--"});
    const std::set<std::string> offered = complete(words);
    for (const std::string& option : command.options) {
      EXPECT_TRUE(offered.count(option)) << command.words << " " << option;
    }
  }
  EXPECT_EQ(complete({""}), expected);
  EXPECT_EQ(complete({"show", ""}), std::set<std::string>{"site.lkr"});
  EXPECT_EQ(complete({"submit", "site.lkr", "--engine", ""}), (std::set<std::string>{"http", "browser"}));
}

}  // namespace
}  // namespace larkspur::test
