#pragma once
// Program versions as the update check reads and compares them: one to four
// numbers separated by dots, missing numbers counting as 0.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspur::update {

struct ProgramVersion {
  std::array<uint64_t, 4> parts{};

  friend auto operator<=>(const ProgramVersion&, const ProgramVersion&) = default;
};

// Reads "a[.b[.c[.d]]]". Runs of dots and dots at either end separate like one
// dot; every part holds the digits 0 to 9 only. Empty text, a fifth part, any
// other character (a blank, a sign, a line break) or a part too large for
// 64 bits make the version invalid (nullopt).
std::optional<ProgramVersion> parseProgramVersion(std::string_view text);

// True exactly when both versions are valid and `candidate` is greater than
// `current`, comparing part by part: 2.10 is greater than 2.9.9.9, 2.4 equals
// 2.4.0.0. An invalid version never counts as newer.
bool isNewerVersion(std::string_view candidate, std::string_view current);

// A file version a.b.c.d written as the update check uses it: "a.b.c.d" when c
// or d is non-zero, "a.b" when only a or b is, empty when all four are 0.
std::string formatFileVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

// This program's own version, from the version the build was made with.
std::string ownProgramVersion();

}  // namespace larkspur::update
