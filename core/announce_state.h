#pragma once
// What the project keeps about announcing its website to IndexNow endpoints:
// the key made for the website, the log of announcements and, for each URL
// already announced, the lastmod it had then (so a later run can announce
// only what changed).
//
// The project file holds these as named entries after every other entry
// (announceStateEntries); a file without them loads with an empty state, and
// an empty state adds nothing, so such projects keep their bytes.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace larkspur::core {

class PropertyTable;
class PropertyView;

struct AnnounceLogEntry {
  std::string time;      // UTC, "YYYY-MM-DDTHH:MM:SSZ"
  std::string endpoint;  // the endpoint's URL as configured (before any service base)
  int32_t urlCount = 0;
  int32_t code = 0;      // HTTP status; 0 when no answer came
  std::string answer;    // the answer as a sentence

  bool operator==(const AnnounceLogEntry&) const = default;
};

struct AnnounceState {
  std::string key;      // 8 to 128 of a-z A-Z 0-9 -
  std::string keyHost;  // the website host the key was made for
  std::vector<AnnounceLogEntry> log;
  std::map<std::string, std::string> announced;  // URL -> lastmod ("" when none)

  bool empty() const { return key.empty() && keyHost.empty() && log.empty() && announced.empty(); }
  void clear() { *this = AnnounceState{}; }
  // Appends an entry and drops the oldest beyond kMaxAnnounceLogEntries.
  void addLog(AnnounceLogEntry entry);
  bool operator==(const AnnounceState&) const = default;
};

// The log keeps the latest entries only.
inline constexpr std::size_t kMaxAnnounceLogEntries = 1000;

// Adds the state's entries at the end of `table` (nothing when the state is
// empty). Returns 0, or a negative value when an entry could not be added.
int addAnnounceState(PropertyTable& table, const AnnounceState& state);
// Reads the state's entries from a parsed project; absent entries leave the
// matching parts empty.
AnnounceState readAnnounceState(const PropertyView& table);

}  // namespace larkspur::core
