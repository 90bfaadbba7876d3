#include "web/network_state.h"

#include <gtest/gtest.h>

#include <string>

namespace larkspur::web {
namespace {

const std::string kIpv4Header =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::string ipv4Route(const std::string& iface, const std::string& dest, const std::string& flags) {
  return iface + "\t" + dest + "\t00000000\t" + flags + "\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
}

std::string ipv6Route(const std::string& dest, const std::string& flags, const std::string& iface) {
  return dest + " 40 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 "
                "00000001 00000000 " +
         flags + " " + iface + "\n";
}

const std::string kZero6(32, '0');
const std::string kLoopback6 = std::string(31, '0') + "1";
const std::string kLinkLocal6 = "fe80" + std::string(28, '0');
const std::string kMulticast6 = "ff00" + std::string(28, '0');
const std::string kGlobal6 = "2001db8" + std::string(25, '0');

TEST(NetworkState, OfflineOnlyWithoutAnyRouteOffTheMachine) {
  struct Case {
    const char* what;
    std::string ipv4;
    std::string ipv6;
    bool offline;
  };
  const Case cases[] = {
      {"no tables at all", "", "", true},
      {"header only", kIpv4Header, "", true},
      {"default route", kIpv4Header + ipv4Route("eth0", "00000000", "0003"), "", false},
      {"LAN route, no gateway", kIpv4Header + ipv4Route("wlan0", "0000A8C0", "0001"), "", false},
      {"only loopback", kIpv4Header + ipv4Route("lo", "0000007F", "0001"), ipv6Route(kLoopback6, "80200001", "lo"),
       true},
      {"route not up", kIpv4Header + ipv4Route("eth0", "00000000", "0002"), "", true},
      {"reject route", kIpv4Header + ipv4Route("eth0", "00000000", "0201"), "", true},
      {"unreadable flags", kIpv4Header + ipv4Route("eth0", "00000000", "zz"), "", true},
      {"IPv6 link-local and multicast only", kIpv4Header,
       ipv6Route(kLinkLocal6, "00000001", "eth0") + ipv6Route(kMulticast6, "00000001", "eth0"), true},
      {"IPv6 default route", kIpv4Header, ipv6Route(kZero6, "00450003", "eth0"), false},
      {"IPv6 global prefix", "", ipv6Route(kGlobal6, "00000001", "eth0"), false},
      {"IPv6 unreachable route", "", ipv6Route(kZero6, "00200200", "eth0"), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(routeTablesShowOffline(c.ipv4, c.ipv6), c.offline) << c.what;
  }
}

TEST(NetworkState, LoopbackHosts) {
  for (const char* host : {"localhost", "LocalHost", "localhost.", "app.localhost", "127.0.0.1", "127.255.3.4",
                           "::1", "[::1]", "0:0:0:0:0:0:0:1"}) {
    EXPECT_TRUE(isLoopbackHost(host)) << host;
  }
  for (const char* host : {"", "example.com", "localhost.example.com", "notlocalhost", "128.0.0.1",
                           "10.127.0.1", "::2", "[::]", "1.2.3.4"}) {
    EXPECT_FALSE(isLoopbackHost(host)) << host;
  }
}

}  // namespace
}  // namespace larkspur::web
