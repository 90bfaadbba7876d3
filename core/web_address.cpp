#include "core/web_address.h"

#include "core/ascii_text.h"
#include "core/website_profile.h"

namespace larkspur::core {

bool isWebAddress(std::string_view url) {
  return asciiStartsWithNoCase(url, "http://") || asciiStartsWithNoCase(url, "https://");
}

std::optional<std::string> websiteUrlProblem(std::string_view url) {
  if (!isWebAddress(url)) return "the website URL must start with http:// or https://";
  for (const char c : url) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return "the website URL must not contain blanks";
  }
  if (hostOfUrl(url).empty()) return "the website URL has no host name";
  return std::nullopt;
}

}  // namespace larkspur::core
