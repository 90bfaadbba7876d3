#pragma once
// The keys an update description may be signed with: the publisher's keys
// built into the program (publisher_keys.h) and those learned since. A
// description signed with a trusted key may name the key that is to sign
// later descriptions ("next-key=HEX"); that key is then remembered in a small
// file in Larkspur's configuration folder, one key a line in hexadecimal,
// readable by the user only. The key that named it stays trusted, so that
// descriptions already published keep verifying while the publisher switches.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "core/status.h"
#include "update/update_signature.h"

namespace larkspur::update {

// Nothing past this many bytes of the key file is read.
inline constexpr std::size_t kTrustedKeyFileLimit = 16384;

// kPublisherKeys as keys.
std::vector<PublicKey> builtInPublisherKeys();

// "update_keys" in core::SettingsStore::defaultFolder().
std::filesystem::path defaultTrustedKeyFile();

// The keys `file` lists: a key a line, lines that hold no key (comments,
// anything malformed) skipped. A missing, unreadable or oversized file lists
// none.
std::vector<PublicKey> readTrustedKeyFile(const std::filesystem::path& file);

// Adds `key` to the keys `file` lists, unless it is there already. The file
// (and its folder, when missing) is created; it is written crash-safe with
// mode 0600.
core::Status rememberTrustedKey(const std::filesystem::path& file, const PublicKey& key);

}  // namespace larkspur::update
