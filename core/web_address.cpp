#include "core/web_address.h"

#include "core/website_profile.h"

namespace larkspur::core {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lowerPrefix[i]) return false;
  }
  return true;
}

}  // namespace

bool isWebAddress(std::string_view url) {
  return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
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
