#include "core/rc4.h"

#include <array>
#include <utility>

namespace larkspur::core {

void rc4(std::span<const uint8_t> key, std::span<uint8_t> data) {
  // An empty key has no key schedule; the data are left as they are.
  if (key.empty()) return;
  std::array<uint8_t, 256> s;
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    j = static_cast<uint8_t>(j + s[i] + key[i % key.size()]);
    std::swap(s[i], s[j]);
  }
  uint8_t i = 0;
  j = 0;
  for (uint8_t& byte : data) {
    i = static_cast<uint8_t>(i + 1);
    j = static_cast<uint8_t>(j + s[i]);
    std::swap(s[i], s[j]);
    byte ^= s[static_cast<uint8_t>(s[i] + s[j])];
  }
}

std::span<const uint8_t> storageKey() {
  // The first 8 bytes of the key text "kq7!mzrt2wpxe9bnc4hjla".
  static constexpr uint8_t kKey[8] = {'k', 'q', '7', '!', 'm', 'z', 'r', 't'};
  return kKey;
}

void rc4Storage(std::span<uint8_t> data) { rc4(storageKey(), data); }

}  // namespace larkspur::core
