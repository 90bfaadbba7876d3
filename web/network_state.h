#pragma once
// Whether the machine is offline, for the page fetch's first step.
//
// The machine counts as offline only when the kernel's route tables hold no
// usable route through any interface other than loopback: no IPv4 route in
// /proc/net/route and no IPv6 route in /proc/net/ipv6_route except link-local
// and multicast ones. A machine with any such route (a LAN without a default
// gateway included) is online: a wrong "offline" would refuse every fetch,
// while a wrong "online" only lets the fetch fail at its connection step.
// When neither table can be read the state is unknown and counts as online.
// Hosts on the loopback network are reachable without any network, so the
// page fetch never reports offline for them.

#include <string_view>

namespace larkspur::web {

// Whether the given contents of /proc/net/route and /proc/net/ipv6_route
// show no route off the machine.
bool routeTablesShowOffline(std::string_view ipv4Routes, std::string_view ipv6Routes);

// Reads the route tables of the running system.
bool machineIsOffline();

// "localhost", a name under ".localhost", an IPv4 address in 127.0.0.0/8 or
// the IPv6 loopback address (with or without brackets).
bool isLoopbackHost(std::string_view host);

}  // namespace larkspur::web
