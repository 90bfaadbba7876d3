#pragma once
// The two profile word lists that score the options of selection lists: the
// words of the category and category add-on, and the words of the keywords.
// Rebuilt from scratch whenever the profile is accepted or a project is
// created or opened.

#include <string>
#include <string_view>
#include <vector>

#include "core/website_profile.h"

namespace larkspur::core {

struct WordLists {
  std::vector<std::string> category;  // category words, then category add-on words
  std::vector<std::string> keyword;   // keyword words
};

// Splits `text` into words and appends each new one to `list`. Delimiters are
// space, comma, colon, slash, tab and line feed; a word is kept when it has at
// least 2 characters, is not AND, OR or FOR, and is not already in the list
// (both compared in capitals). Words keep the case they are written in.
void appendWords(std::vector<std::string>& list, std::string_view text);

WordLists buildWordLists(const WebsiteProfile& profile);

}  // namespace larkspur::core
