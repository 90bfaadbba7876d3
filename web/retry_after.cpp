#include "web/retry_after.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "core/curl_support.h"

namespace larkspur::web {

std::optional<std::chrono::seconds> retryAfterWait(std::string_view value, std::chrono::system_clock::time_point now,
                                                   std::chrono::seconds tooLong) {
  if (value.empty()) return std::nullopt;
  if (std::all_of(value.begin(), value.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    constexpr std::size_t kReadableDigits = 9;
    if (value.size() > kReadableDigits) return tooLong;
    return std::chrono::seconds(std::stol(std::string(value)));
  }
  const time_t when = curl_getdate(std::string(value).c_str(), nullptr);
  if (when < 0) return std::nullopt;
  const auto delta = std::chrono::system_clock::from_time_t(when) - now;
  return std::max(std::chrono::seconds(0), std::chrono::duration_cast<std::chrono::seconds>(delta));
}

}  // namespace larkspur::web
