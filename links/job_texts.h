#pragma once
// The end messages of the link searches and the link info updates, shown once
// every worker of a job has ended: the second of each pair when the stop
// signal was set. The links report's are beside it, in reports/.

#include <string_view>

namespace larkspur::links {

inline constexpr char kSearchComplete[] = "Search complete!";
inline constexpr char kSearchCanceled[] = "Search canceled!";
inline constexpr char kUpdateComplete[] = "Update complete!";
inline constexpr char kUpdateCanceled[] = "Update canceled!";

inline std::string_view searchEndText(bool stopped) { return stopped ? kSearchCanceled : kSearchComplete; }
inline std::string_view updateEndText(bool stopped) { return stopped ? kUpdateCanceled : kUpdateComplete; }

}  // namespace larkspur::links
