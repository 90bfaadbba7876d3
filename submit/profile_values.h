#pragma once
// The values of the Website profile that a form field can receive.

#include <string>

#include "core/website_profile.h"

namespace larkspur::submit {

enum class ProfileValue {
  kUrl,
  kEmail,
  kTitle,
  kFirstName,
  kLastName,
  kFullName,  // first name, one space, last name
  kKeywords,
  kLongDescription,
  kShortDescription,
  kCountry,
  kTelephone,
  kAddress,
  kZip,
  kCity,
  kUser,
  kPassword,
  kHost,  // the website host name
};

// The value as it stands in the profile now.
std::string profileValue(const core::WebsiteProfile& profile, ProfileValue value);

// A short English name of the value ("website URL", "e-mail", ...), for test
// output and diagnostics.
const char* profileValueName(ProfileValue value);

}  // namespace larkspur::submit
