#pragma once
// SHA-256 of a byte stream, fed in pieces of any size: OpenSSL's digest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace larkspur::update {

class Sha256 {
 public:
  using Digest = std::array<uint8_t, 32>;

  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void update(const void* data, std::size_t length);
  void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
  // The digest of everything fed so far. The object is reset afterwards and
  // can hash a new stream.
  Digest finish();

 private:
  struct ContextDeleter {
    void operator()(evp_md_ctx_st* context) const;
  };
  std::unique_ptr<evp_md_ctx_st, ContextDeleter> context_;
};

// The digest as 64 lower-case hexadecimal digits.
std::string toHex(const Sha256::Digest& digest);
// SHA-256 of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

}  // namespace larkspur::update
