#include "submit/form_choices.h"

#include <string>
#include <vector>

#include "core/ascii_text.h"
#include "core/upper_case.h"
#include "submit/field_reading.h"
#include "submit/option_choice.h"
#include "submit/word_search.h"

namespace larkspur::submit {

namespace {

// Words of a choice that costs money (a free one may still show "$0"), and
// of one that does not.
constexpr std::string_view kPaidNames[] = {"PAY", "PAID", "PREMIUM", "FEATURED", "SPONSOR"};
constexpr std::string_view kPaidWords[] = {
    "PAY", "PAID", "PREMIUM", "FEATURED", "SPONSOR", "PRICE", "$", "\xE2\x82\xAC", "\xC2\xA3", "USD", "EUR", "GBP"};
constexpr std::string_view kFreeWords[] = {"FREE"};
constexpr std::string_view kRegularWords[] = {"REGULAR", "BASIC", "STANDARD", "NORMAL"};

bool isChecked(const web::Element& e) { return e.attribute("checked") != nullptr; }

}  // namespace

bool isPlaceholderOption(const web::SelectOption& option) {
  if (option.disabled) return true;
  const std::string value(core::asciiTrimmed(option.value));
  if (value.empty() || value == "0" || value == "-1") return true;
  const std::string text = core::toUpper(core::asciiTrimmed(option.text));
  return text.empty() || text == "[TOP]" || text == "TOP" || text.starts_with("--") || text.starts_with("- ") ||
         hasAny(text, {"SELECT", "CHOOSE", "PLEASE PICK"});
}

std::optional<std::size_t> placeholderReplacement(const web::Element& list, const core::WordLists& words) {
  if (list.tag != "SELECT" || list.type == "SELECT-MULTIPLE" || list.options.empty()) return std::nullopt;
  const int selected = list.selectedIndex();
  if (!isPlaceholderOption(list.options[static_cast<std::size_t>(selected < 0 ? 0 : selected)])) {
    return std::nullopt;
  }
  std::optional<std::size_t> best;
  int bestScore = -1;
  for (std::size_t i = 0; i < list.options.size(); ++i) {
    if (isPlaceholderOption(list.options[i])) continue;
    const int score = optionScore(list.options[i].text, words);
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

std::optional<std::size_t> freeChoice(const web::Document& doc, std::size_t radio) {
  const web::Element& first = doc.at(radio);
  if (first.name.empty()) return std::nullopt;
  std::vector<std::pair<std::size_t, std::string>> group;  // element, what the choice says
  // A group's buttons stand together: looked for among the elements around the first.
  constexpr std::size_t kGroupDistance = 500;
  const std::size_t from = radio > kGroupDistance ? radio - kGroupDistance : 0;
  for (std::size_t i = from; i < doc.size() && i <= radio + kGroupDistance; ++i) {
    const web::Element& e = doc.at(i);
    if (e.tag != "INPUT" || core::toUpper(e.type) != "RADIO" || e.name != first.name) continue;
    if (i < radio || isChecked(e)) return std::nullopt;  // not the group's first, or already chosen
    group.emplace_back(i, core::toUpper(e.value) + " " + fieldLabel(doc, i));
  }
  bool pricing = false;
  for (const auto& [index, said] : group) {
    pricing = pricing || hasAny(said, kPaidWords) || hasAny(said, kFreeWords) || hasAny(said, kRegularWords);
  }
  if (!pricing) return std::nullopt;
  for (const auto& [index, said] : group) {
    if (hasAny(said, kFreeWords) && !hasAny(said, kPaidNames)) return index;
  }
  for (const auto& [index, said] : group) {
    if (hasAny(said, kRegularWords) && !hasAny(said, kPaidWords)) return index;
  }
  return std::nullopt;
}

bool asksToAcceptTerms(const web::Element& checkbox, std::string_view label) {
  if (checkbox.attribute("checked")) return false;
  if (checkbox.attribute("required")) return true;
  const std::string name = core::toUpper(checkbox.name);
  for (std::string_view said : {std::string_view(name), label}) {
    if (hasAny(said, {"AGREE", "TERMS", "ACCEPT", "RULES", "TOS", "CONDITIONS"})) return true;
  }
  return false;
}

}  // namespace larkspur::submit
