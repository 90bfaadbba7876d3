#pragma once
// A throwaway Ed25519 key pair made for a test, to sign update descriptions as
// the publisher does, a server of signed descriptions and a set-up that trusts
// only that key. OpenSSL's crypto library comes with larkspur_update.

#include <openssl/evp.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "tests/support/local_server.h"
#include "update/online_update.h"

namespace larkspur::test {

class UpdateSigningKey {
 public:
  UpdateSigningKey() {
    std::unique_ptr<EVP_PKEY_CTX, void (*)(EVP_PKEY_CTX*)> made(EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr),
                                                                 EVP_PKEY_CTX_free);
    EVP_PKEY* key = nullptr;
    require(made && EVP_PKEY_keygen_init(made.get()) == 1 && EVP_PKEY_keygen(made.get(), &key) == 1);
    key_.reset(key);
  }
  update::PublicKey publicKey() const {
    update::PublicKey key{};
    std::size_t length = key.size();
    require(EVP_PKEY_get_raw_public_key(key_.get(), key.data(), &length) == 1);
    return key;
  }
  std::string publicHex() const { return update::publicKeyHex(publicKey()); }
  // The signature file for `text`: the signature in base64 and a line break.
  std::string sign(std::string_view text) const {
    update::Signature signature{};
    std::size_t length = signature.size();
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    require(EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get()) == 1 &&
            EVP_DigestSign(context.get(), signature.data(), &length,
                           reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1);
    unsigned char base64[89];
    const int count = EVP_EncodeBlock(base64, signature.data(), static_cast<int>(signature.size()));
    return std::string(reinterpret_cast<const char*>(base64), static_cast<std::size_t>(count)) + "\n";
  }

 private:
  static void require(bool done) {
    if (!done) throw std::runtime_error("OpenSSL failed on a test key");
  }
  std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key_{nullptr, EVP_PKEY_free};
};

// `server` answers the update description with `description()` and its
// signature with `key`'s, which must outlive the server.
inline void serveSignedDescription(LocalServer& server, const UpdateSigningKey& key,
                                   std::function<std::string()> description) {
  using httplib::Request, httplib::Response;
  server.get(std::string(update::kUpdateDescriptionPath),
             [description](const Request&, Response& res) { res.set_content(description(), "text/plain"); });
  server.get(std::string(update::kUpdateSignaturePath), [&key, description](const Request&, Response& res) {
    res.set_content(key.sign(description()), "text/plain");
  });
}

// `setup` trusts `key` alone, remembers learned keys in `keyFile` and takes
// its program for one in the user's own folders.
inline void trustOnly(update::UpdateAgentSetup& setup, const UpdateSigningKey& key,
                      const std::filesystem::path& keyFile) {
  setup.publisherKeys = {key.publicKey()};
  setup.trustedKeyFile = keyFile;
  setup.installedFromPackage = [](const std::filesystem::path&) { return false; };
}

}  // namespace larkspur::test
