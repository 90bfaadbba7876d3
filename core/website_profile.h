#pragma once
// The Website profile: the user's website details from which every submission
// form is filled. Seventeen fixed-capacity texts plus the derived host name.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace larkspur::core {

struct WebsiteProfile {
  char url[260];
  char title[260];
  char email[260];
  char first_name[64];
  char last_name[64];
  char user[260];
  char password[260];
  char zip[260];
  char city[260];
  char address[260];
  char country[260];
  char category[260];
  char category_addon[260];
  char telephone[64];
  char keyword[1024];
  char short_description[260];
  char long_description[4096];
  // Derived: the server part of the URL, without port; empty when the URL
  // does not parse as a URL with a scheme. Not stored in the project file.
  char host[260];

  WebsiteProfile() { reset(); }
  // Empties every field, the host name included.
  void reset();
  // Recomputes the host name from the URL.
  void recomputeHost();
};

// The longest short description the profile accepts, in characters.
inline constexpr std::size_t kShortDescriptionLimit = 80;

// Describes one of the seventeen profile texts.
struct ProfileField {
  const char* key;         // project-file key, e.g. "m_szurl"
  const char* label;       // label in the profile dialog
  const char* option;      // command-line option without "--", e.g. "url"
  std::size_t offset;      // in WebsiteProfile
  std::size_t capacity;    // bytes, terminator included

  char* in(WebsiteProfile& p) const { return reinterpret_cast<char*>(&p) + offset; }
  const char* in(const WebsiteProfile& p) const {
    return reinterpret_cast<const char*>(&p) + offset;
  }
};

// The seventeen texts in the order of the profile dialog.
std::span<const ProfileField> profileFields();
// A field by project-file key or by option name; nullptr when unknown.
const ProfileField* profileFieldByKey(std::string_view key);
const ProfileField* profileFieldByOption(std::string_view option);

// What is wrong with a text for a profile field (see storedTextProblem: the
// long description may hold several lines, every other field one), or
// nothing when it may be stored.
std::optional<std::string> profileTextProblem(const ProfileField& field, std::string_view text);

// The host of a URL as libcurl's URL parser gives it (no port); empty when the
// text has no scheme or does not parse.
std::string hostOfUrl(std::string_view url);

}  // namespace larkspur::core
