#include "update/update_description.h"

#include <limits>
#include <vector>

#include "core/ascii_text.h"

namespace larkspur::update {

namespace {

// Leading blanks, then the decimal digits; anything after them is ignored.
// No digits, or a number beyond 64 bits, reads as 0 ("no size").
uint64_t leadingSize(std::string_view text) {
  uint64_t value = 0;
  for (char c : core::asciiTrimmed(text)) {
    if (c < '0' || c > '9') break;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return value;
}

// 64 hexadecimal digits, blanks around them ignored, in lower case; empty
// for anything else.
std::string digestText(std::string_view text) {
  text = core::asciiTrimmed(text);
  if (text.size() != 64) return {};
  std::string digest;
  digest.reserve(64);
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digest += c;
    } else if (c >= 'a' && c <= 'f') {
      digest += c;
    } else if (c >= 'A' && c <= 'F') {
      digest += static_cast<char>(c - 'A' + 'a');
    } else {
      return {};
    }
  }
  return digest;
}

}  // namespace

UpdateDescription parseUpdateDescription(std::string_view text) {
  if (text.size() > kUpdateDescriptionLimit) text = text.substr(0, kUpdateDescriptionLimit);
  if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

  std::vector<std::string_view> pieces;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view piece = text.substr(0, comma);
    if (!piece.empty()) pieces.push_back(piece);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }

  UpdateDescription description;
  if (!pieces.empty() && pieces[0].size() > 1) description.version = std::string(pieces[0]);
  if (pieces.size() > 1) description.size = leadingSize(pieces[1]);
  if (pieces.size() > 2) description.sha256 = digestText(pieces[2]);
  constexpr std::string_view kNextKey = "next-key=";
  for (std::size_t i = 3; i < pieces.size() && description.nextKey.empty(); ++i) {
    const std::string_view piece = core::asciiTrimmed(pieces[i]);
    if (piece.starts_with(kNextKey)) description.nextKey = digestText(piece.substr(kNextKey.size()));
  }
  return description;
}

}  // namespace larkspur::update
