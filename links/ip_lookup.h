#pragma once
// The IP address of a link's host: a host name that starts with a letter is
// resolved by name; anything else is read as a dotted IPv4 address and
// resolved in reverse. The address is written as dotted IPv4 text, and only
// when the resolution gives an answer.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace larkspur::links {

inline constexpr std::size_t kIpTextCapacity = 35;

// Name resolution, swappable so that tests need no name service.
struct HostResolver {
  // The first IPv4 address of a name (network byte order), if any.
  std::function<std::optional<uint32_t>(const std::string& name)> byName;
  // Whether an IPv4 address (network byte order) has a host entry.
  std::function<bool(uint32_t address)> byAddress;
};

// getaddrinfo for names, getnameinfo for addresses.
HostResolver systemResolver();

// The dotted text of an address in network byte order.
std::string dottedAddress(uint32_t address);

// The dotted address of the URL's host, or nothing when the URL has no host
// or the resolution finds nothing.
std::optional<std::string> lookUpIp(std::string_view url, const HostResolver& resolver = systemResolver());

}  // namespace larkspur::links
