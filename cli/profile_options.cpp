#include "cli/profile_options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/upper_case.h"
#include "core/web_address.h"

namespace larkspur::cli {

using larkspur::core::ProfileField;
using larkspur::core::WebsiteProfile;

std::set<std::string> profileOptionNames() {
  std::set<std::string> names;
  for (const ProfileField& f : larkspur::core::profileFields()) names.insert(f.option);
  names.insert("password-file");
  return names;
}

ProfileUpdate applyProfileOptions(const Arguments& args, WebsiteProfile& profile) {
  ProfileUpdate update;
  std::vector<std::pair<const ProfileField*, std::string>> values;
  for (const auto& [name, value] : args.ordered()) {
    if (name == "password-file") {
      // A password, its line break and no more: a file named by mistake
      // (a log, a device) is refused rather than read whole.
      const ProfileField* field = larkspur::core::profileFieldByOption("password");
      std::vector<uint8_t> bytes;
      const larkspur::core::Status read = larkspur::core::readWholeFile(value, bytes, field->capacity + 1);
      if (!read.ok()) {
        update.error = read.code == -2 ? "The password file " + value + " is longer than a password can be"
                                       : "Cannot read the password file: " + read.message;
        return update;
      }
      std::string password(bytes.begin(), bytes.end());
      // A password file normally ends with a line break that is not part of it.
      while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) {
        password.pop_back();
      }
      values.emplace_back(field, password);
      continue;
    }
    if (const ProfileField* field = larkspur::core::profileFieldByOption(name)) {
      values.emplace_back(field, value);
    }
  }

  for (const auto& [field, value] : values) {
    if (const std::optional<std::string> problem = larkspur::core::profileTextProblem(*field, value)) {
      update.error = "--" + std::string(field->option) + " " + *problem + ": nothing was changed";
      return update;
    }
    if (std::string(field->option) == "short-description" &&
        larkspur::core::characterCount(value) > larkspur::core::kShortDescriptionLimit) {
      update.error = "Please enter no more than " +
                     std::to_string(larkspur::core::kShortDescriptionLimit) + " characters.";
      return update;
    }
    if (std::string(field->option) == "url") {
      if (const std::optional<std::string> problem = larkspur::core::websiteUrlProblem(value)) {
        update.error = "--url: " + *problem + ", not '" + value + "'";
        return update;
      }
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
