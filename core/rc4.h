#pragma once
// RC4 stream cipher (standard key schedule, no keystream bytes dropped). The
// project file and the settings blob are enciphered with it.

#include <cstddef>
#include <cstdint>
#include <span>

namespace larkspur::core {

// Enciphers or deciphers `data` in place, from a fresh key schedule.
void rc4(std::span<const uint8_t> key, std::span<uint8_t> data);

// The key of project files and the settings blob: the first 8 bytes of
// "kq7!mzrt2wpxe9bnc4hjla".
std::span<const uint8_t> storageKey();

// rc4(storageKey(), data).
void rc4Storage(std::span<uint8_t> data);

}  // namespace larkspur::core
