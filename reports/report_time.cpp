#include "reports/report_time.h"

#include <cstdio>

namespace larkspur::reports {

namespace {

constexpr const char* kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

std::string twoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

std::tm localTime(std::time_t when) {
  std::tm out{};
  localtime_r(&when, &out);
  return out;
}

std::string formatTime(std::string_view format, const std::tm& t) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    switch (format[++i]) {
      case 'A': out += (t.tm_wday >= 0 && t.tm_wday < 7) ? kWeekdays[t.tm_wday] : "?"; break;
      case 'B': out += (t.tm_mon >= 0 && t.tm_mon < 12) ? kMonths[t.tm_mon] : "?"; break;
      case 'd': out += twoDigits(t.tm_mday); break;
      case 'm': out += twoDigits(t.tm_mon + 1); break;
      case 'Y': out += std::to_string(t.tm_year + 1900); break;
      case 'H': out += twoDigits(t.tm_hour); break;
      case 'M': out += twoDigits(t.tm_min); break;
      case '%': out += '%'; break;
      default:
        out += '%';
        out += format[i];
    }
  }
  return out;
}

}  // namespace larkspur::reports
