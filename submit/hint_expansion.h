#pragma once
// The "%URL%" placeholder of direct-request targets: their submit hint is an
// address that carries the website URL where the placeholder stands.

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspur::submit {

// Capacity of the expanded address, terminator included.
inline constexpr std::size_t kExpandedHintCapacity = 512;

// The website URL with every space written "%20", every colon "%3A" and every
// slash "%2F"; nothing else is changed.
std::string encodeUrlForHint(std::string_view url);

// The hint with its first "%URL%" replaced by the encoded website URL (a hint
// without the placeholder is returned unchanged), cut to at most
// kExpandedHintCapacity - 1 bytes without splitting a UTF-8 sequence.
std::string expandSubmitHint(std::string_view hint, std::string_view url);

}  // namespace larkspur::submit
