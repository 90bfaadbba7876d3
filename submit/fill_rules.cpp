#include "submit/fill_rules.h"

#include <initializer_list>

#include "submit/word_search.h"

namespace larkspur::submit {

namespace {

bool has(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

bool isAny(std::string_view text, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words) {
    if (text == w) return true;
  }
  return false;
}

using P = ProfileValue;

constexpr FillRule kInputRules[] = {
    {1, [](const FillSubject& f) { return f.name == "DQ"; }, P::kShortDescription, false},
    {2, [](const FillSubject& f) { return has(f.name, "URL") || has(f.value, "HTTP://"); },
     P::kUrl, true},
    {3, [](const FillSubject& f) { return has(f.name, "MAIL"); }, P::kEmail, false},
    {4, [](const FillSubject& f) { return has(f.name, "COUNTRY"); }, P::kCountry, false},
    {5, [](const FillSubject& f) { return hasAny(f.name, {"TITLE", "TITOLO", "TITEL", "SIDENAVN"}); },
     P::kTitle, false},
    {6, [](const FillSubject& f) { return has(f.name, "PAGENAME"); }, P::kTitle, false},
    {7, [](const FillSubject& f) { return hasAny(f.name, {"KEYWORD", "KEY"}); }, P::kKeywords,
     false},
    {8, [](const FillSubject& f) { return hasAny(f.name, {"DESCRIPT", "DESC", "DESCRIPTION"}); },
     P::kLongDescription, false},
    {9, [](const FillSubject& f) { return has(f.name, "COMPANY"); }, P::kTitle, false},
    {10, [](const FillSubject& f) { return has(f.name, "NOTE"); }, P::kLongDescription, false},
    {11, [](const FillSubject& f) { return hasAny(f.name, {"FIRST", "FNAME"}); }, P::kFirstName,
     false},
    {12, [](const FillSubject& f) { return hasAny(f.name, {"LAST", "LNAME"}); }, P::kLastName,
     false},
    {13,
     [](const FillSubject& f) {
       return has(f.name, "NAME") &&
              !hasAny(f.name, {"LAST", "FIRST", "LNAME", "FNAME", "PAGENAME"});
     },
     P::kFullName, false},
    {14, [](const FillSubject& f) { return has(f.name, "USER"); }, P::kUser, false},
    {15, [](const FillSubject& f) { return has(f.name, "LOGINID"); }, P::kUser, false},
    {16, [](const FillSubject& f) { return has(f.name, "LOGIN"); }, P::kUser, false},
    {17, [](const FillSubject& f) { return has(f.name, "PASS"); }, P::kPassword, false},
    {18, [](const FillSubject& f) { return f.name == "PWD"; }, P::kPassword, false},
    {19, [](const FillSubject& f) { return has(f.name, "PERSON"); }, P::kFullName, false},
    {20, [](const FillSubject& f) { return f.name == "COUNTRY"; }, P::kCountry, false},
    {21, [](const FillSubject& f) { return has(f.name, "WEBMASTER"); }, P::kFullName, false},
    {22, [](const FillSubject& f) { return isAny(f.name, {"TEL", "TELPHONE", "PHONE"}); },
     P::kTelephone, false},
    {23, [](const FillSubject& f) { return has(f.name, "PHONE"); }, P::kTelephone, false},
    {24, [](const FillSubject& f) { return has(f.name, "CITY"); }, P::kCity, false},
    {25, [](const FillSubject& f) { return has(f.name, "ADDRESS"); }, P::kAddress, false},
    {26, [](const FillSubject& f) { return hasAny(f.name, {"POST", "ZIP"}); }, P::kZip, false},
    {27, [](const FillSubject& f) { return has(f.name, "DOMAINSERVER"); }, P::kHost, true},
};

constexpr FillRule kTextAreaRules[] = {
    {1, [](const FillSubject& f) { return has(f.name, "KEYWORD"); }, P::kKeywords, false},
    {2,
     [](const FillSubject& f) {
       return hasAny(f.name, {"DESCRIPT", "DESC", "DESCRIPTION", "COMMENT"});
     },
     P::kLongDescription, false},
    {3, [](const FillSubject& f) { return hasAny(f.name, {"DESCRIZIONE", "CONTENT"}); },
     P::kLongDescription, false},
    {4, [](const FillSubject& f) { return has(f.name, "NOTE"); }, P::kLongDescription, false},
    {5, [](const FillSubject& f) { return has(f.name, "URL"); }, P::kUrl, true},
    {6, [](const FillSubject& f) { return has(f.name, "DQ"); }, P::kShortDescription, false},
};

FillResult fillFrom(std::span<const FillRule> rules, const FillSubject& subject,
                    const core::WebsiteProfile& profile) {
  FillResult result;
  if (const auto match = matchFillRules(rules, subject)) {
    result.written = true;
    result.value = profileValue(profile, match->value);
    result.url_filled = match->marks_url_filled;
  }
  return result;
}

}  // namespace

std::span<const FillRule> inputFillRules() { return kInputRules; }
std::span<const FillRule> textAreaFillRules() { return kTextAreaRules; }

std::optional<FillMatch> matchFillRules(std::span<const FillRule> rules,
                                        const FillSubject& subject) {
  std::optional<FillMatch> match;
  for (const FillRule& rule : rules) {
    if (!rule.test(subject)) continue;
    const bool marks = rule.marks_url_filled || (match && match->marks_url_filled);
    match = FillMatch{rule.number, rule.value, marks};
  }
  return match;
}

FillResult fillInput(std::string_view name, std::string_view value,
                     const core::WebsiteProfile& profile) {
  return fillFrom(kInputRules, {name, value}, profile);
}

FillResult fillTextArea(std::string_view name, const core::WebsiteProfile& profile) {
  return fillFrom(kTextAreaRules, {name, {}}, profile);
}

}  // namespace larkspur::submit
