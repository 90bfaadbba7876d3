#include "cli/command_services.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <utility>

#include "cli/arguments.h"
#include "cli/cli_output.h"

namespace larkspur::cli {

const char kServicesUsage[] =
    "services show | set NAME KEY | clear NAME\n"
    "      The keys of the services asked on your account (NAME: bing-webmaster,\n"
    "      open-pagerank), kept in a file only you can read; KEY - reads the key\n"
    "      from standard input. LARKSPUR_BING_WEBMASTER_KEY and\n"
    "      LARKSPUR_OPEN_PAGERANK_KEY win over the file. Keys are shown masked.";

namespace {

constexpr char kServiceNames[] = "bing-webmaster or open-pagerank";

void warnAll(const std::vector<std::string>& notes) {
  for (const std::string& note : notes) warn(note);
}

int show(const core::ServiceKeyStore& store) {
  std::printf("Key file: %s\n", shown(store.file().string()).c_str());
  for (const core::KeyedServiceInfo& info : core::keyedServices()) {
    std::vector<std::string> notes;
    const core::ServiceKey key = store.key(info.service, &notes);
    warnAll(notes);
    std::string state = "not set";
    if (key.source == core::KeySource::kEnvironment) {
      state = core::maskedKey(key.key) + " (from " + info.environment + ")";
    } else if (key.source == core::KeySource::kFile) {
      state = core::maskedKey(key.key) + " (from the key file)";
    }
    std::printf("%s: %s\n", info.name, state.c_str());
  }
  return 0;
}

int set(const core::ServiceKeyStore& store, const core::KeyedServiceInfo& info, std::string key) {
  if (key == "-") {
    // From standard input, so that the key shows neither in the process
    // list nor in the shell's history.
    if (!std::getline(std::cin, key)) return fail("services set: no key on standard input");
    if (key.ends_with('\r')) key.pop_back();
  }
  if (const std::optional<std::string> problem = core::serviceKeyProblem(key)) {
    return fail("services set: the key " + *problem, 2);
  }
  std::vector<std::string> notes;
  const core::Status stored = store.store(info.service, key, &notes);
  warnAll(notes);
  if (!stored.ok()) return fail(stored.message);
  const std::string masked = core::maskedKey(key);
  std::printf("%s: key %ssaved in %s\n", info.name, masked == "set" ? "" : (masked + " ").c_str(),
              shown(store.file().string()).c_str());
  if (const char* value = std::getenv(info.environment); value && *value) {
    warn(std::string(info.environment) + " is set and is used instead");
  }
  return 0;
}

int clear(const core::ServiceKeyStore& store, const core::KeyedServiceInfo& info) {
  std::vector<std::string> notes;
  const core::Status cleared = store.store(info.service, "", &notes);
  warnAll(notes);
  if (!cleared.ok()) return fail(cleared.message);
  std::printf("%s: no key in %s\n", info.name, shown(store.file().string()).c_str());
  return 0;
}

}  // namespace

int runServicesCommand(const std::vector<std::string>& args) {
  const Arguments parsed(args, {}, {});
  if (!parsed.error().empty()) return fail("services: " + parsed.error(), 2);
  const std::vector<std::string>& words = parsed.positional();
  const core::ServiceKeyStore store = core::ServiceKeyStore::standard();
  if (words.size() == 1 && words[0] == "show") return show(store);
  const bool setting = words.size() == 3 && words[0] == "set";
  const bool clearing = words.size() == 2 && words[0] == "clear";
  if (!setting && !clearing) return fail("usage: larkspur-cli services show | set NAME KEY | clear NAME", 2);
  const core::KeyedServiceInfo* info = core::keyedServiceByName(words[1]);
  if (!info) return fail("services: unknown service '" + words[1] + "' (" + kServiceNames + ")", 2);
  return setting ? set(store, *info, words[2]) : clear(store, *info);
}

std::string serviceKeyFor(core::KeyedService service) {
  std::vector<std::string> notes;
  core::ServiceKey key = core::ServiceKeyStore::standard().key(service, &notes);
  warnAll(notes);
  return std::move(key.key);
}

}  // namespace larkspur::cli
