#pragma once
// A throwaway Ed25519 key pair made for a test, to sign update descriptions as
// the publisher does, and a set-up that trusts only it.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "update/online_update.h"

namespace larkspur::test {

class UpdateSigningKey {
 public:
  UpdateSigningKey();
  update::PublicKey publicKey() const;
  std::string publicHex() const { return update::publicKeyHex(publicKey()); }
  // The signature file for `text`: the signature in base64 and a line break.
  std::string sign(std::string_view text) const;

 private:
  std::shared_ptr<void> key_;  // EVP_PKEY
};

// `setup` trusts `key` alone, remembers learned keys in `keyFile` and takes
// its program for one in the user's own folders.
void trustOnly(update::UpdateAgentSetup& setup, const UpdateSigningKey& key, const std::filesystem::path& keyFile);

}  // namespace larkspur::test
