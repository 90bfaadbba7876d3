#pragma once
// Dates in reports and proposed file names, always with English month and
// weekday names whatever the process locale is (the desktop program runs
// with the user's locale).

#include <ctime>
#include <string>
#include <string_view>

namespace larkspur::reports {

// The local time of `when`.
std::tm localTime(std::time_t when);

// Formats like strftime for the directives %A (full weekday name), %B (full
// month name), %d (two-digit day), %m (two-digit month), %Y (year), %H and %M
// (two-digit hour and minute) and %%; other characters are copied.
std::string formatTime(std::string_view format, const std::tm& time);

}  // namespace larkspur::reports
