#pragma once
// The keys the user has for the outside services Larkspur asks on their
// account: Bing Webmaster Tools (the website's backlinks) and Open PageRank
// (domain ranks). They belong to the user, not to a project: kept in the
// file `service-keys` of the settings folder (SettingsStore::defaultFolder()),
// which only its owner may read (mode 0600), one "name=key" line each; or
// given in the environment (LARKSPUR_BING_WEBMASTER_KEY,
// LARKSPUR_OPEN_PAGERANK_KEY), which wins over the file. A key is never
// shown whole (see maskedKey) and never written anywhere but that file.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/status.h"

namespace larkspur::core {

enum class KeyedService { kBingWebmaster, kOpenPageRank };

struct KeyedServiceInfo {
  KeyedService service;
  const char* name;         // on the command line: "bing-webmaster"
  const char* title;        // in sentences: "Bing Webmaster Tools"
  const char* environment;  // the variable that wins over the file
};

std::span<const KeyedServiceInfo> keyedServices();
const KeyedServiceInfo& keyedServiceInfo(KeyedService service);
// The service of a command-line name, or nullptr.
const KeyedServiceInfo* keyedServiceByName(std::string_view name);

inline constexpr char kServiceKeysFileName[] = "service-keys";
inline constexpr std::size_t kServiceKeyLimit = 512;

// Why `key` cannot be a key, or nothing when it can: it holds 1 to
// kServiceKeyLimit visible ASCII characters (no blanks, no line breaks).
std::optional<std::string> serviceKeyProblem(std::string_view key);

// What is shown of a key: its first and last four characters around "…" when
// it has at least 16, else "set".
std::string maskedKey(std::string_view key);

enum class KeySource { kNone, kEnvironment, kFile };

struct ServiceKey {
  std::string key;  // empty when none is set
  KeySource source = KeySource::kNone;

  bool set() const { return !key.empty(); }
};

class ServiceKeyStore {
 public:
  explicit ServiceKeyStore(std::filesystem::path folder);
  // The store of the settings folder.
  static ServiceKeyStore standard();

  const std::filesystem::path& file() const { return file_; }

  // The key to use: the environment's, else the file's. What had to be said
  // of the file or the variable (a mode made private, a line or value not
  // used; never a key) is added to `notes`.
  ServiceKey key(KeyedService service, std::vector<std::string>* notes = nullptr) const;
  // The file's keys by service name. A file that other users may read is
  // made private (0600) first, and said so in `notes`; one that is not the
  // user's own, or not a regular file, is refused.
  Status read(std::vector<std::pair<std::string, std::string>>& keys, std::vector<std::string>* notes) const;
  // Sets or removes (empty `key`) a service's key in the file, written
  // anew with mode 0600; the other lines stay.
  Status store(KeyedService service, std::string_view key, std::vector<std::string>* notes = nullptr) const;

 private:
  std::filesystem::path file_;
};

}  // namespace larkspur::core
