#pragma once
// The publisher's Ed25519 public keys built into the program. An update
// description is accepted only when one of them signed it, or a key that a
// description they signed named as its successor (trusted_keys.h). Each is
// the raw 32-byte key in hexadecimal, as `scripts/sign-update --public-key
// KEY.pem` prints it.

#include <string_view>

namespace larkspur::update {

inline constexpr std::string_view kPublisherKeys[] = {
    // PLACEHOLDER publisher key. It was made while this check was written and
    // its private half was not kept, so nothing verifies against it: until the
    // publisher puts the public key of their own pair here, this program
    // accepts no online update. Never put a private key in this tree.
    "501680cd88346f4516ac0b1f97af4f53f140ae113976dc838cef0baf513538fc",
};

}  // namespace larkspur::update
