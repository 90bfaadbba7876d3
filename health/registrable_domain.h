#pragma once
// The registrable domain of a host (the part a registrant owns: "example.co.uk"
// of "www.example.co.uk"), from the Public Suffix List through libpsl.

#include <string>
#include <string_view>

namespace larkspur::health {

// In lower case, without a trailing dot. An IP address, or a name that has no
// registrable part (a public suffix itself, "localhost"), is its own domain.
std::string registrableDomain(std::string_view host);

}  // namespace larkspur::health
