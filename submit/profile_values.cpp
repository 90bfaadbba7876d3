#include "submit/profile_values.h"

#include "core/fixed_text.h"

namespace larkspur::submit {

std::string profileValue(const core::WebsiteProfile& p, ProfileValue value) {
  using core::fieldView;
  switch (value) {
    case ProfileValue::kUrl: return std::string(fieldView(p.url));
    case ProfileValue::kEmail: return std::string(fieldView(p.email));
    case ProfileValue::kTitle: return std::string(fieldView(p.title));
    case ProfileValue::kFirstName: return std::string(fieldView(p.first_name));
    case ProfileValue::kLastName: return std::string(fieldView(p.last_name));
    case ProfileValue::kFullName:
      return std::string(fieldView(p.first_name)) + " " + std::string(fieldView(p.last_name));
    case ProfileValue::kKeywords: return std::string(fieldView(p.keyword));
    case ProfileValue::kLongDescription: return std::string(fieldView(p.long_description));
    case ProfileValue::kShortDescription: return std::string(fieldView(p.short_description));
    case ProfileValue::kCountry: return std::string(fieldView(p.country));
    case ProfileValue::kTelephone: return std::string(fieldView(p.telephone));
    case ProfileValue::kAddress: return std::string(fieldView(p.address));
    case ProfileValue::kZip: return std::string(fieldView(p.zip));
    case ProfileValue::kCity: return std::string(fieldView(p.city));
    case ProfileValue::kUser: return std::string(fieldView(p.user));
    case ProfileValue::kPassword: return std::string(fieldView(p.password));
    case ProfileValue::kHost: return std::string(fieldView(p.host));
  }
  return {};
}

const char* profileValueName(ProfileValue value) {
  switch (value) {
    case ProfileValue::kUrl: return "website URL";
    case ProfileValue::kEmail: return "e-mail";
    case ProfileValue::kTitle: return "title";
    case ProfileValue::kFirstName: return "first name";
    case ProfileValue::kLastName: return "last name";
    case ProfileValue::kFullName: return "full name";
    case ProfileValue::kKeywords: return "keywords";
    case ProfileValue::kLongDescription: return "long description";
    case ProfileValue::kShortDescription: return "short description";
    case ProfileValue::kCountry: return "country";
    case ProfileValue::kTelephone: return "telephone";
    case ProfileValue::kAddress: return "address";
    case ProfileValue::kZip: return "ZIP code";
    case ProfileValue::kCity: return "city";
    case ProfileValue::kUser: return "user";
    case ProfileValue::kPassword: return "password";
    case ProfileValue::kHost: return "website host name";
  }
  return "?";
}

}  // namespace larkspur::submit
