#include "health/parking_signals.h"

#include "core/ascii_text.h"

namespace larkspur::health {

namespace {

std::string firstMatch(const std::vector<std::string>& domains, std::string_view host) {
  const std::string name = core::asciiLower(host);
  for (const std::string& domain : domains) {
    if (isAtOrBelow(name, domain)) return domain;
  }
  return {};
}

}  // namespace

bool isAtOrBelow(std::string_view host, std::string_view domain) {
  if (!host.empty() && host.back() == '.') host.remove_suffix(1);
  if (domain.empty() || host.size() < domain.size() || !host.ends_with(domain)) return false;
  return host.size() == domain.size() || host[host.size() - domain.size() - 1] == '.';
}

std::string ParkingSignals::parkingServiceOf(std::string_view nameServer) const {
  return firstMatch(nameServerDomains, nameServer);
}

std::string ParkingSignals::marketplaceOf(std::string_view host) const { return firstMatch(marketplaces, host); }

ParkingSignals parseParkingSignals(std::string_view text) {
  ParkingSignals signals;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    const std::string_view kind = line.substr(0, tab);
    std::string_view value = line.substr(tab + 1);
    value = value.substr(0, value.find('\t'));
    value = core::asciiTrimmed(value);
    if (value.empty()) continue;
    std::vector<std::string>* list = kind == "ns"            ? &signals.nameServerDomains
                                     : kind == "marketplace" ? &signals.marketplaces
                                     : kind == "text"        ? &signals.texts
                                     : kind == "script"      ? &signals.scripts
                                     : kind == "lander"      ? &signals.landerPaths
                                     : kind == "hop"         ? &signals.hopLabels
                                                             : nullptr;
    if (list) list->push_back(core::asciiLower(value));
  }
  return signals;
}

const ParkingSignals& builtInParkingSignals() {
  static const ParkingSignals signals = parseParkingSignals(kBuiltInParkingSignals);
  return signals;
}

}  // namespace larkspur::health
