#pragma once
// The choices of a form a person would make before sending it: a category
// list still on its placeholder gets the best-fitting category, a group of
// link-type or price buttons with none checked gets the free or regular
// choice (never one that leads to a payment), and a box to accept the
// directory's terms is left to the user.

#include <cstddef>
#include <optional>

#include "core/word_lists.h"
#include "web/document.h"

namespace larkspur::submit {

// An option no directory takes as a choice: "[Top]", "-- select --",
// "Choose...", value 0 or empty, or disabled.
bool isPlaceholderOption(const web::SelectOption& option);

// For a single-choice list whose selected option (or first, when none is
// selected) is a placeholder: the option to select, scored against the word
// lists (category words, then keywords; the first of the best, "Parent >
// Child" and indented options counting their whole text). Nothing for other
// lists or when every option is a placeholder.
std::optional<std::size_t> placeholderReplacement(const web::Element& list, const core::WordLists& words);

// For the first radio button of a group (same name) with none checked, where
// the choices are link types or prices: the element index of the free or
// regular choice. Nothing when the group is not such a choice, has one
// checked, or offers no free or regular choice.
std::optional<std::size_t> freeChoice(const web::Document& doc, std::size_t radio);

// Whether an unchecked check box asks the user to accept terms or rules (it
// is required, or its name or label says so).
bool asksToAcceptTerms(const web::Element& checkbox, std::string_view label);

}  // namespace larkspur::submit
