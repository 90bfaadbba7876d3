#pragma once
// SHA-256 (FIPS 180-4) of a byte stream, fed in pieces of any size.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larkspur::core {

class Sha256 {
 public:
  using Digest = std::array<uint8_t, 32>;

  Sha256();
  void update(const void* data, std::size_t length);
  void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
  // The digest of everything fed so far. The object is reset afterwards and
  // can hash a new stream.
  Digest finish();

 private:
  void compress(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> block_;
  std::size_t blockLength_ = 0;
  uint64_t totalLength_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string toHex(const Sha256::Digest& digest);
// SHA-256 of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

}  // namespace larkspur::core
