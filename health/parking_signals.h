#pragma once
// The signals of a parked or for-sale domain (data/parking_signals.tsv, built
// into the program): parking services' name-server domains, domain
// marketplaces, and the markers of a parking lander page.

#include <string>
#include <string_view>
#include <vector>

namespace larkspur::health {

struct ParkingSignals {
  std::vector<std::string> nameServerDomains;  // "sedoparking.com"
  std::vector<std::string> marketplaces;       // "sedo.com"
  std::vector<std::string> texts;              // "this domain is for sale"
  std::vector<std::string> scripts;            // "/adsense/domains/caf.js"
  std::vector<std::string> landerPaths;        // "/lander"
  std::vector<std::string> hopLabels;          // "ww1"

  // The parking domain that `nameServer` ("ns1.sedoparking.com.") is at or
  // below, or "".
  std::string parkingServiceOf(std::string_view nameServer) const;
  // The marketplace `host` is at or below, or "".
  std::string marketplaceOf(std::string_view host) const;
};

// Reads the signals' text: "kind<TAB>value<TAB>source" lines, # comments.
// Values are kept in lower case; lines of an unknown kind are skipped.
ParkingSignals parseParkingSignals(std::string_view text);

// The built-in signals, read once.
const ParkingSignals& builtInParkingSignals();

// The text of data/parking_signals.tsv as built in.
extern const char kBuiltInParkingSignals[];

// Whether `host` is `domain` or ends in "." + `domain` (both in lower case,
// a trailing dot on `host` ignored).
bool isAtOrBelow(std::string_view host, std::string_view domain);

}  // namespace larkspur::health
