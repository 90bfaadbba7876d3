#pragma once
// The profile options shared by `new` and `set`.

#include <set>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "core/website_profile.h"

namespace larkspur::cli {

// Every option name that sets a profile field, plus "password-file".
std::set<std::string> profileOptionNames();

struct ProfileUpdate {
  std::string error;                  // refused: nothing was changed
  std::vector<std::string> warnings;  // values cut at their field's capacity
  bool changed = false;
};

// Applies the profile options to `profile` (the host name is not recomputed).
// A short description over 80 characters is refused with "Please enter no
// more than 80 characters."; other values longer than their field are cut
// at the capacity with a warning.
ProfileUpdate applyProfileOptions(const Arguments& args, larkspur::core::WebsiteProfile& profile);

// Number of characters (UTF-8 code points) in a text.
std::size_t characterCount(const std::string& text);

}  // namespace larkspur::cli
