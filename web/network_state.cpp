#include "web/network_state.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/ascii_text.h"

namespace larkspur::web {

namespace {

constexpr unsigned long kRouteUp = 0x0001;      // RTF_UP
constexpr unsigned long kRouteReject = 0x0200;  // RTF_REJECT

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    std::size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

std::optional<unsigned long> parseHex(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  unsigned long value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return value;
}

bool usableRoute(std::string_view iface, std::string_view flagsText) {
  if (iface == "lo") return false;
  std::optional<unsigned long> flags = parseHex(flagsText);
  return flags && (*flags & kRouteUp) && !(*flags & kRouteReject);
}

template <typename LineFn>
bool anyLine(std::string_view text, LineFn fn) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (fn(text.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

// Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT,
// after one header line.
bool hasIpv4Route(std::string_view table) {
  bool header = true;
  return anyLine(table, [&](std::string_view line) {
    if (header) {
      header = false;
      return false;
    }
    std::vector<std::string_view> f = splitFields(line);
    return f.size() >= 4 && usableRoute(f[0], f[3]);
  });
}

// Destination, prefix length, source, prefix length, next hop, metric,
// reference count, use count, flags, interface; no header line.
bool hasIpv6Route(std::string_view table) {
  return anyLine(table, [](std::string_view line) {
    std::vector<std::string_view> f = splitFields(line);
    if (f.size() < 10 || f[0].size() != 32) return false;
    std::string_view dest = f[0];
    bool multicast = dest.substr(0, 2) == "ff";
    bool linkLocal = dest.substr(0, 2) == "fe" && dest[2] >= '8' && dest[2] <= 'b';
    return !multicast && !linkLocal && usableRoute(f[9], f[8]);
  });
}

std::optional<std::string> readWhole(const char* path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

bool routeTablesShowOffline(std::string_view ipv4Routes, std::string_view ipv6Routes) {
  return !hasIpv4Route(ipv4Routes) && !hasIpv6Route(ipv6Routes);
}

bool machineIsOffline() {
  std::optional<std::string> ipv4 = readWhole("/proc/net/route");
  std::optional<std::string> ipv6 = readWhole("/proc/net/ipv6_route");
  if (!ipv4 && !ipv6) return false;
  return routeTablesShowOffline(ipv4.value_or(std::string()), ipv6.value_or(std::string()));
}

bool isLoopbackHost(std::string_view host) {
  std::string lower = core::asciiLower(host);
  if (!lower.empty() && lower.back() == '.') lower.pop_back();
  if (lower == "localhost") return true;
  if (lower.size() > 10 && lower.ends_with(".localhost")) return true;
  if (lower.size() >= 2 && lower.front() == '[' && lower.back() == ']') {
    lower = lower.substr(1, lower.size() - 2);
  }
  in_addr v4{};
  if (inet_pton(AF_INET, lower.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, lower.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return false;
}

}  // namespace larkspur::web
