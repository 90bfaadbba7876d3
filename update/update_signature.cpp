#include "update/update_signature.h"

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace larkspur::update {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

std::optional<PublicKey> parsePublicKey(std::string_view hex) {
  hex = core::asciiTrimmed(hex);
  PublicKey key{};
  if (hex.size() != 2 * key.size()) return std::nullopt;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const int high = hexValue(hex[2 * i]);
    const int low = hexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    key[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return key;
}

std::string publicKeyHex(const PublicKey& key) { return core::lowerHex(key); }

std::optional<Signature> parseSignatureFile(std::string_view text) {
  if (text.size() > kSignatureFileLimit) return std::nullopt;
  text = core::asciiTrimmed(text);
  // 64 bytes are 21 groups of three and one byte left: 88 characters, "==" last.
  if (text.size() != 88 || !text.ends_with("==")) return std::nullopt;
  unsigned char decoded[66];
  const int length = EVP_DecodeBlock(decoded, reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<int>(text.size()));
  if (length != 66) return std::nullopt;
  Signature signature{};
  std::copy_n(decoded, signature.size(), signature.begin());
  return signature;
}

bool verifySignature(std::string_view message, const Signature& signature, const PublicKey& key) {
  std::unique_ptr<EVP_PKEY, KeyDeleter> publicKey(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()));
  std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
  if (!publicKey || !context) return false;
  if (EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) != 1) return false;
  return EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                          reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

std::optional<PublicKey> signingKey(std::string_view message, const Signature& signature,
                                    std::span<const PublicKey> keys) {
  for (const PublicKey& key : keys) {
    if (verifySignature(message, signature, key)) return key;
  }
  return std::nullopt;
}

}  // namespace larkspur::update
