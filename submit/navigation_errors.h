#pragma once
// Texts for the HTTP status codes and browser navigation error codes that a
// submission reports when a target's page cannot be loaded.
//
// The table is kept as consecutive fixed rows: a 4-byte little-endian code and
// a 260-byte NUL-padded text, ended by a row whose code is 0.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace larkspur::submit {

inline constexpr std::size_t kNavigationErrorTextCapacity = 260;
inline constexpr std::size_t kNavigationErrorRowSize = 4 + kNavigationErrorTextCapacity;

// The stored table, terminator row included.
std::span<const uint8_t> navigationErrorTable();

// Looks a code up in a table of that row format: the first row with the code
// wins; the walk ends at the row with code 0 or at the end of the bytes.
std::optional<std::string_view> lookupNavigationError(std::span<const uint8_t> table, uint32_t code);

// The text for a code from the stored table, if it has one.
std::optional<std::string_view> navigationErrorText(uint32_t code);

// Copies the text for the code into `destination` (capacity 260, NUL-padded)
// and returns true; returns false and leaves `destination` untouched when the
// code has no text.
bool navigationErrorText(uint32_t code, char* destination);

// What lies behind a code whose text alone misleads, in a few words: the
// page's host name not resolving comes as "Requested resource is not found.",
// which reads as a missing page.
std::optional<std::string_view> navigationErrorCause(uint32_t code);

// The message a session records: the code's text followed by " (cause)"
// where there is one and a message field (kNavigationErrorTextCapacity) has
// room ("Requested resource is not found. (host name not found)"); nothing
// for a code without a text.
std::optional<std::string> navigationErrorMessage(uint32_t code);

}  // namespace larkspur::submit
