#pragma once
// The rules that decide which profile value a form field receives, by its
// normalised name (and, for inputs, its current value). The rules are tables
// walked in order; every rule whose test passes writes its value, so the last
// passing rule decides what the field ends up with.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/website_profile.h"
#include "submit/profile_values.h"

namespace larkspur::submit {

// What a rule tests: the normalised field name and, for inputs, the input's
// current value, both in capitals.
struct FillSubject {
  std::string_view name;
  std::string_view value;
};

struct FillRule {
  int number;
  bool (*test)(const FillSubject&);
  ProfileValue value;
  bool marks_url_filled;  // receiving this value marks the session URL filled
};

// The 27 input rules and the 6 text-area rules, in order.
std::span<const FillRule> inputFillRules();
std::span<const FillRule> textAreaFillRules();

struct FillMatch {
  int rule = 0;                  // number of the last rule that passed
  ProfileValue value{};          // its value: what the field ends up with
  bool marks_url_filled = false; // some passing rule marks the session URL filled
};

// Walks `rules` in order; nothing when no rule passes.
std::optional<FillMatch> matchFillRules(std::span<const FillRule> rules,
                                        const FillSubject& subject);

// The outcome of filling one field from the profile.
struct FillResult {
  bool written = false;
  std::string value;
  bool url_filled = false;
};

FillResult fillInput(std::string_view name, std::string_view value,
                     const core::WebsiteProfile& profile);
FillResult fillTextArea(std::string_view name, const core::WebsiteProfile& profile);

}  // namespace larkspur::submit
