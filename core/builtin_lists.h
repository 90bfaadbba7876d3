#pragma once
// The built-in choices of the profile dialog, in list order.

#include <span>

namespace larkspur::core {

// 25 countries; "Australia" occurs twice (positions 0 and 4), "USA" is last.
std::span<const char* const> countryList();
// 18 categories; "Business" is at position 2.
std::span<const char* const> categoryList();
// 485 category add-on texts in six groups ("group >> entry" or the group alone).
std::span<const char* const> categoryAddonList();

}  // namespace larkspur::core
