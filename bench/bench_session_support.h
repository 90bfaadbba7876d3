#pragma once
// What the session benchmarks share: the profile every session fills forms
// from, and JSON string quoting for the arguments handed to a peer program.

#include <cstdio>
#include <string>
#include <string_view>

#include "core/fixed_text.h"
#include "core/website_profile.h"

namespace larkspur::bench {

using core::copyText;

inline larkspur::core::WebsiteProfile benchProfile() {
  larkspur::core::WebsiteProfile p;
  copyText(p.url, "http://www.example-bakery.com/");
  copyText(p.title, "Example Bakery");
  copyText(p.email, "owner@example-bakery.com");
  copyText(p.first_name, "Anna");
  copyText(p.last_name, "Berg");
  copyText(p.country, "Germany");
  copyText(p.category, "Business");
  copyText(p.keyword, "bakery, bread, cakes");
  copyText(p.long_description, "A family bakery with fresh bread and cakes every day.");
  p.recomputeHost();
  return p;
}

inline std::string jsonText(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace larkspur::bench
