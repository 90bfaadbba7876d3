#include "update/update_version.h"

#include <limits>

#include "larkspur_version.h"

namespace larkspur::update {

std::optional<ProgramVersion> parseProgramVersion(std::string_view text) {
  ProgramVersion version;
  std::size_t count = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '.') {
      ++at;
      continue;
    }
    if (count == version.parts.size()) return std::nullopt;
    uint64_t value = 0;
    std::size_t digits = 0;
    for (; at < text.size() && text[at] != '.'; ++at, ++digits) {
      const char c = text[at];
      if (c < '0' || c > '9') return std::nullopt;
      const uint64_t digit = static_cast<uint64_t>(c - '0');
      if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
      value = value * 10 + digit;
    }
    version.parts[count++] = value;
  }
  if (count == 0) return std::nullopt;
  return version;
}

bool isNewerVersion(std::string_view candidate, std::string_view current) {
  const std::optional<ProgramVersion> newer = parseProgramVersion(candidate);
  const std::optional<ProgramVersion> own = parseProgramVersion(current);
  return newer && own && *newer > *own;
}

std::string formatFileVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  if (c != 0 || d != 0) {
    return std::to_string(a) + '.' + std::to_string(b) + '.' + std::to_string(c) + '.' + std::to_string(d);
  }
  if (a != 0 || b != 0) return std::to_string(a) + '.' + std::to_string(b);
  return {};
}

std::string ownProgramVersion() {
  static_assert(LARKSPUR_VERSION_MAJOR <= 0xffff && LARKSPUR_VERSION_MINOR <= 0xffff &&
                    LARKSPUR_VERSION_PATCH <= 0xffff,
                "each part of the program version must fit a 16-bit file version part");
  return formatFileVersion(LARKSPUR_VERSION_MAJOR, LARKSPUR_VERSION_MINOR, LARKSPUR_VERSION_PATCH, 0);
}

}  // namespace larkspur::update
