#include "update/trusted_keys.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <system_error>

#include "core/atomic_file.h"
#include "core/settings_store.h"
#include "update/publisher_keys.h"

namespace larkspur::update {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kKeyFileHeader =
    "# Larkspur: update signing keys learned from signed update descriptions\n";

}  // namespace

std::vector<PublicKey> builtInPublisherKeys() {
  std::vector<PublicKey> keys;
  for (const std::string_view hex : kPublisherKeys) {
    if (const std::optional<PublicKey> key = parsePublicKey(hex)) keys.push_back(*key);
  }
  return keys;
}

fs::path defaultTrustedKeyFile() { return core::SettingsStore::defaultFolder() / "update_keys"; }

std::vector<PublicKey> readTrustedKeyFile(const fs::path& file) {
  std::vector<uint8_t> bytes;
  if (file.empty() || !core::readWholeFile(file, bytes, kTrustedKeyFileLimit).ok()) return {};
  std::vector<PublicKey> keys;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (const std::optional<PublicKey> key = parsePublicKey(text.substr(0, end))) keys.push_back(*key);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return keys;
}

core::Status rememberTrustedKey(const fs::path& file, const PublicKey& key) {
  std::vector<PublicKey> keys = readTrustedKeyFile(file);
  if (std::find(keys.begin(), keys.end(), key) != keys.end()) return core::Status::success();
  keys.push_back(key);
  std::string text(kKeyFileHeader);
  for (const PublicKey& each : keys) text += publicKeyHex(each) + "\n";
  std::error_code error;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), error);
  return core::writeFileAtomically(
      file, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 0600, true);
}

}  // namespace larkspur::update
