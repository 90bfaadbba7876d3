#include "core/word_lists.h"

#include <algorithm>

#include "core/fixed_text.h"
#include "core/upper_case.h"

namespace larkspur::core {

namespace {

bool isDelimiter(char c) {
  return c == ' ' || c == ',' || c == ':' || c == '/' || c == '\t' || c == '\n';
}

void addWord(std::vector<std::string>& list, std::string_view word) {
  if (characterCount(word) < 2) return;
  const std::string upper = toUpper(word);
  if (upper == "AND" || upper == "OR" || upper == "FOR") return;
  const bool known = std::any_of(list.begin(), list.end(),
                                 [&](const std::string& w) { return toUpper(w) == upper; });
  if (!known) list.emplace_back(word);
}

}  // namespace

void appendWords(std::vector<std::string>& list, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || isDelimiter(text[i])) {
      if (i > start) addWord(list, text.substr(start, i - start));
      start = i + 1;
    }
  }
}

WordLists buildWordLists(const WebsiteProfile& profile) {
  WordLists lists;
  appendWords(lists.category, fieldView(profile.category));
  appendWords(lists.category, fieldView(profile.category_addon));
  appendWords(lists.keyword, fieldView(profile.keyword));
  return lists;
}

}  // namespace larkspur::core
