#pragma once
// Choosing the options of a selection list: country lists by the profile's
// country, every other list by scoring its options against the profile word
// lists.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/website_profile.h"
#include "core/word_lists.h"

namespace larkspur::submit {

// Score of an option text: 2 for every category word and 1 for every keyword
// word that occurs in it (substring tests in capitals).
int optionScore(std::string_view option_text, const core::WordLists& words);

// The options to select, in the order they are selected (the last one is the
// one that stays selected), for a list with the normalised name `name` (in
// capitals) and the option texts `options` as shown.
std::vector<std::size_t> chooseOptions(std::string_view name,
                                       std::span<const std::string> options,
                                       const core::WebsiteProfile& profile,
                                       const core::WordLists& words);

}  // namespace larkspur::submit
