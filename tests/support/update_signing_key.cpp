#include "tests/support/update_signing_key.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace larkspur::test {

namespace {
EVP_PKEY* pkey(const std::shared_ptr<void>& key) { return static_cast<EVP_PKEY*>(key.get()); }
void require(bool done) {
  if (!done) throw std::runtime_error("OpenSSL failed on a test key");
}
}  // namespace

UpdateSigningKey::UpdateSigningKey() {
  std::unique_ptr<EVP_PKEY_CTX, void (*)(EVP_PKEY_CTX*)> context(EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr),
                                                                  EVP_PKEY_CTX_free);
  EVP_PKEY* made = nullptr;
  require(context && EVP_PKEY_keygen_init(context.get()) == 1 && EVP_PKEY_keygen(context.get(), &made) == 1);
  key_.reset(made, [](void* k) { EVP_PKEY_free(static_cast<EVP_PKEY*>(k)); });
}

update::PublicKey UpdateSigningKey::publicKey() const {
  update::PublicKey key{};
  std::size_t length = key.size();
  require(EVP_PKEY_get_raw_public_key(pkey(key_), key.data(), &length) == 1);
  return key;
}

std::string UpdateSigningKey::sign(std::string_view text) const {
  update::Signature signature{};
  std::size_t length = signature.size();
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  require(EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, pkey(key_)) == 1 &&
          EVP_DigestSign(context.get(), signature.data(), &length,
                         reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1);
  unsigned char encoded[89];
  const int count = EVP_EncodeBlock(encoded, signature.data(), static_cast<int>(signature.size()));
  return std::string(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(count)) + "\n";
}

void trustOnly(update::UpdateAgentSetup& setup, const UpdateSigningKey& key, const std::filesystem::path& keyFile) {
  setup.publisherKeys = {key.publicKey()};
  setup.trustedKeyFile = keyFile;
  setup.installedFromPackage = [](const std::filesystem::path&) { return false; };
}

}  // namespace larkspur::test
