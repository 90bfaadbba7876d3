#include "update/sha256.h"

#include <openssl/evp.h>

#include <new>

#include "core/hex_text.h"

namespace larkspur::update {

void Sha256::ContextDeleter::operator()(evp_md_ctx_st* context) const { EVP_MD_CTX_free(context); }

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t length) {
  if (length > 0) EVP_DigestUpdate(context_.get(), data, length);
}

Sha256::Digest Sha256::finish() {
  Digest digest{};
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_.get(), digest.data(), &length);
  EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr);
  return digest;
}

std::string toHex(const Sha256::Digest& digest) { return core::lowerHex(digest); }

std::string sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.update(bytes);
  return toHex(hash.finish());
}

}  // namespace larkspur::update
