#include "submit/option_choice.h"

#include "core/fixed_text.h"
#include "core/upper_case.h"

namespace larkspur::submit {

namespace {

int occurrences(const std::string& text, const std::vector<std::string>& list) {
  int count = 0;
  for (const std::string& word : list) {
    if (text.find(core::toUpper(word)) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace

int optionScore(std::string_view option_text, const core::WordLists& words) {
  const std::string text = core::toUpper(option_text);
  return 2 * occurrences(text, words.category) + occurrences(text, words.keyword);
}

std::vector<std::size_t> chooseOptions(std::string_view name,
                                       std::span<const std::string> options,
                                       const core::WebsiteProfile& profile,
                                       const core::WordLists& words) {
  std::vector<std::size_t> chosen;
  if (name.find("COUNTRY") != std::string_view::npos) {
    const std::string_view country = core::fieldView(profile.country);
    const bool united_states = country == "United States";
    for (std::size_t i = 0; i < options.size(); ++i) {
      const std::string& text = options[i];
      if (text.find(country) != std::string::npos ||
          (united_states && text.find("USA") != std::string::npos)) {
        chosen.push_back(i);
        break;
      }
    }
    return chosen;
  }

  int best = 0;
  for (std::size_t i = 0; i < options.size(); ++i) {
    const int score = optionScore(options[i], words);
    if (score > best) {
      best = score;
      chosen.push_back(i);
    }
    if (i + 1 == options.size() && best == 0) chosen.push_back(i);
  }
  return chosen;
}

}  // namespace larkspur::submit
