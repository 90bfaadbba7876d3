#pragma once
// The IP address of a link's host: a host name that starts with a letter is
// resolved by name; anything else is read as a dotted IPv4 address and
// resolved in reverse. The address is written as dotted IPv4 text, and only
// when the resolution gives an answer.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace larkspur::core {
class Event;
}

namespace larkspur::links {

inline constexpr std::size_t kIpTextCapacity = 35;
// Longest wait for one answer of the name service.
inline constexpr std::chrono::milliseconds kNameLookUpDeadline{15'000};

// What the name service said of a name or an address.
struct NameAnswer {
  std::optional<uint32_t> address;  // network byte order; set when found
  // No answer came (the service is silent or failing, or the deadline
  // passed): nothing is known, as opposed to "no such name".
  bool unanswered = false;
};

// Name resolution, swappable so that tests need no name service. `stop`,
// when given, ends a wait within about a second.
struct HostResolver {
  // The first IPv4 address of a name.
  std::function<NameAnswer(const std::string& name, const core::Event* stop)> byName;
  // The address itself when it has a host entry.
  std::function<NameAnswer(uint32_t address, const core::Event* stop)> byAddress;
};

// getaddrinfo for names, getnameinfo for addresses, each given up after
// `deadline` (the look-up goes on in the background and its answer is
// dropped).
HostResolver systemResolver(std::chrono::milliseconds deadline = kNameLookUpDeadline);

// The dotted text of an address in network byte order.
std::string dottedAddress(uint32_t address);

// The dotted address of the URL's host, or nothing when the URL has no host
// or the resolution finds nothing; `unanswered`, when given, tells whether
// the name service gave no answer at all.
std::optional<std::string> lookUpIp(std::string_view url, const HostResolver& resolver = systemResolver(),
                                    bool* unanswered = nullptr, const core::Event* stop = nullptr);

}  // namespace larkspur::links
