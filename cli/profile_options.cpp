#include "cli/profile_options.h"

#include <fstream>
#include <sstream>

#include "core/fixed_text.h"

namespace larkspur::cli {

using larkspur::core::ProfileField;
using larkspur::core::WebsiteProfile;

std::set<std::string> profileOptionNames() {
  std::set<std::string> names;
  for (const ProfileField& f : larkspur::core::profileFields()) names.insert(f.option);
  names.insert("password-file");
  return names;
}

std::size_t characterCount(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

ProfileUpdate applyProfileOptions(const Arguments& args, WebsiteProfile& profile) {
  ProfileUpdate update;
  std::vector<std::pair<const ProfileField*, std::string>> values;
  for (const auto& [name, value] : args.ordered()) {
    if (name == "password-file") {
      std::ifstream in(value, std::ios::binary);
      if (!in) {
        update.error = "Cannot read the password file " + value;
        return update;
      }
      std::ostringstream text;
      text << in.rdbuf();
      std::string password = text.str();
      // A password file normally ends with a line break that is not part of it.
      while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) {
        password.pop_back();
      }
      values.emplace_back(larkspur::core::profileFieldByOption("password"), password);
      continue;
    }
    if (const ProfileField* field = larkspur::core::profileFieldByOption(name)) {
      values.emplace_back(field, value);
    }
  }

  for (const auto& [field, value] : values) {
    if (std::string(field->option) == "short-description" &&
        characterCount(value) > larkspur::core::kShortDescriptionLimit) {
      update.error = "Please enter no more than " +
                     std::to_string(larkspur::core::kShortDescriptionLimit) + " characters.";
      return update;
    }
  }
  for (const auto& [field, value] : values) {
    if (!larkspur::core::copyText(field->in(profile), field->capacity, value)) {
      update.warnings.push_back(std::string("--") + field->option + " was cut to " +
                                std::to_string(field->capacity - 1) + " bytes");
    }
    update.changed = true;
  }
  return update;
}

}  // namespace larkspur::cli
