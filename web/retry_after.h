#pragma once
// The wait a "slow down" answer (429, 503) asks for in its Retry-After header:
// a number of seconds or an HTTP date.

#include <chrono>
#include <optional>
#include <string_view>

namespace larkspur::web {

// The wait `value` asks for, counted from `now` for a date (0 for a date
// already past); nullopt when it is empty or does not parse. A number of
// more than nine digits gives `tooLong` (a wait the caller will not make).
std::optional<std::chrono::seconds> retryAfterWait(std::string_view value, std::chrono::system_clock::time_point now,
                                                   std::chrono::seconds tooLong);

}  // namespace larkspur::web
