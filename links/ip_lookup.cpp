#include "links/ip_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

#include "core/website_profile.h"

namespace larkspur::links {

namespace {

std::optional<uint32_t> resolveName(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::optional<uint32_t> address;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addr != nullptr) {
      address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
      break;
    }
  }
  freeaddrinfo(found);
  return address;
}

bool resolveAddress(uint32_t address) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = address;
  char host[NI_MAXHOST];
  return getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host, nullptr, 0,
                     NI_NAMEREQD) == 0;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

HostResolver systemResolver() { return HostResolver{resolveName, resolveAddress}; }

std::string dottedAddress(uint32_t address) {
  in_addr in{};
  in.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &in, text, sizeof text) == nullptr) return {};
  return text;
}

std::optional<std::string> lookUpIp(std::string_view url, const HostResolver& resolver) {
  const std::string host = core::hostOfUrl(url);
  if (host.empty()) return std::nullopt;
  if (isLetter(host.front())) {
    if (!resolver.byName) return std::nullopt;
    const std::optional<uint32_t> address = resolver.byName(host);
    if (!address) return std::nullopt;
    return dottedAddress(*address);
  }
  in_addr parsed{};
  if (inet_aton(host.c_str(), &parsed) == 0) return std::nullopt;
  if (!resolver.byAddress || !resolver.byAddress(parsed.s_addr)) return std::nullopt;
  return dottedAddress(parsed.s_addr);
}

}  // namespace larkspur::links
