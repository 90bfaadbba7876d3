#pragma once
// The detached signature of the update description: Ed25519 (OpenSSL's EVP)
// over the description's bytes, made by the publisher with
// scripts/sign-update and published beside the description as one line of
// base64.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace larkspur::update {

using PublicKey = std::array<uint8_t, 32>;
using Signature = std::array<uint8_t, 64>;

// Nothing past this many bytes of the signature file is looked at; its line
// has 88 characters.
inline constexpr std::size_t kSignatureFileLimit = 1024;

// A raw Ed25519 public key written as 64 hexadecimal digits (either case,
// blanks around them ignored); nullopt for anything else.
std::optional<PublicKey> parsePublicKey(std::string_view hex);
// The key as 64 lower-case hexadecimal digits.
std::string publicKeyHex(const PublicKey& key);

// The signature file: the 64 bytes in base64 with its padding (88
// characters), blanks and line breaks around them ignored; nullopt for
// anything else.
std::optional<Signature> parseSignatureFile(std::string_view text);

// Whether `signature` is `key`'s Ed25519 signature of `message`. A key that
// is no Ed25519 point verifies nothing.
bool verifySignature(std::string_view message, const Signature& signature, const PublicKey& key);

// The first of `keys` that made `signature` of `message`; nullopt when none did.
std::optional<PublicKey> signingKey(std::string_view message, const Signature& signature,
                                    std::span<const PublicKey> keys);

}  // namespace larkspur::update
