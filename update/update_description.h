#pragma once
// The update description file on the update server: comma-separated pieces,
// e.g. "2.5.0.700,1500,<sha256>". Piece one is the new version, piece two the
// new program's size in bytes, piece three the SHA-256 of the new program in
// hexadecimal; further pieces are ignored, so readers that know only the first
// two still read files that carry the digest. Of the further pieces, one
// "next-key=HEX" names the Ed25519 public key (64 hexadecimal digits) that is
// to sign later descriptions (see trusted_keys.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larkspur::update {

// Nothing past this many bytes of the file is ever looked at.
inline constexpr std::size_t kUpdateDescriptionLimit = 8192;

struct UpdateDescription {
  std::string version;  // piece one, taken only when longer than one character; else empty
  uint64_t size = 0;    // leading decimal digits of piece two; 0 when there are none
  std::string sha256;   // piece three as 64 lower-case hex digits; empty when absent or malformed
  std::string nextKey;  // the first "next-key=" piece after piece three as 64 lower-case hex
                        // digits; empty when there is none or it is malformed
};

// Splits the text at commas, skipping empty pieces. The text ends at its first
// NUL byte or after kUpdateDescriptionLimit bytes, whichever comes first.
// The version is kept exactly as written (a trailing line break makes it
// invalid); blanks and line breaks around the digest are ignored.
UpdateDescription parseUpdateDescription(std::string_view text);

}  // namespace larkspur::update
