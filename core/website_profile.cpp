#include "core/website_profile.h"

#include <cstring>

#include "core/curl_support.h"
#include "core/fixed_text.h"
#include "core/text_check.h"

namespace larkspur::core {

namespace {

#define LARKSPUR_FIELD(member, key, label, option) \
  {key, label, option, offsetof(WebsiteProfile, member), sizeof(WebsiteProfile::member)}

const ProfileField kFields[] = {
    LARKSPUR_FIELD(url, "m_szurl", "Website URL", "url"),
    LARKSPUR_FIELD(title, "m_title", "Title of website", "title"),
    LARKSPUR_FIELD(email, "m_email", "Contact Email", "email"),
    LARKSPUR_FIELD(first_name, "m_firstname", "First Name", "first-name"),
    LARKSPUR_FIELD(last_name, "m_lastname", "Last Name", "last-name"),
    LARKSPUR_FIELD(user, "m_user", "User", "user"),
    LARKSPUR_FIELD(password, "m_password", "Password", "password"),
    LARKSPUR_FIELD(zip, "m_zip", "ZIP Code", "zip"),
    LARKSPUR_FIELD(city, "m_city", "City", "city"),
    LARKSPUR_FIELD(address, "m_address", "Address", "address"),
    LARKSPUR_FIELD(country, "m_country", "Country", "country"),
    LARKSPUR_FIELD(category, "m_category", "Category", "category"),
    LARKSPUR_FIELD(category_addon, "m_category_addon1", "Category addon", "category-addon"),
    LARKSPUR_FIELD(telephone, "m_telephone", "Telephone", "telephone"),
    LARKSPUR_FIELD(keyword, "m_keyword", "Keword", "keywords"),
    LARKSPUR_FIELD(short_description, "m_shortdescript", "Descript (Short)", "short-description"),
    LARKSPUR_FIELD(long_description, "m_longdescript", "Descript (Long)", "long-description"),
};

#undef LARKSPUR_FIELD

}  // namespace

void WebsiteProfile::reset() { std::memset(static_cast<void*>(this), 0, sizeof(WebsiteProfile)); }

void WebsiteProfile::recomputeHost() { copyText(host, hostOfUrl(fieldView(url))); }

std::span<const ProfileField> profileFields() { return kFields; }

const ProfileField* profileFieldByKey(std::string_view key) {
  for (const ProfileField& f : kFields) {
    if (key == f.key) return &f;
  }
  return nullptr;
}

const ProfileField* profileFieldByOption(std::string_view option) {
  for (const ProfileField& f : kFields) {
    if (option == f.option) return &f;
  }
  return nullptr;
}

std::optional<std::string> profileTextProblem(const ProfileField& field, std::string_view text) {
  const bool several = std::string_view(field.option) == "long-description";
  return storedTextProblem(text, several ? TextLines::kMany : TextLines::kOne);
}

std::string hostOfUrl(std::string_view url) {
  // Without CURLU_GUESS_SCHEME a text lacking "scheme://" does not parse,
  // which is what gives such a text an empty host name.
  const CurlUrl parsed = parsedCurlUrl(std::string(url), CURLU_NON_SUPPORT_SCHEME);
  if (!parsed) return {};
  return curlUrlPart(parsed.get(), CURLUPART_HOST).value_or(std::string());
}

}  // namespace larkspur::core
