#pragma once
// What the calculator window shows: its title, the three pages in tab order
// and, per page, every field with its control ID, label, unit and the help
// text shown while the field has the keyboard focus. The fields of a page are
// listed in the order of the page's field enum in calculators/ad_calculator.h, so
// `fields[static_cast<int>(RoiField::Profit)]` describes the Profit field.

#include <span>
#include <string_view>

namespace larkspur::calculators {

inline constexpr std::string_view kCalculatorWindowTitle = "Advertise Calculator";

struct CalculatorFieldInfo {
  int id;                 // control ID
  std::string_view label;
  std::string_view unit;  // "$" or "%"
  std::string_view help;
  bool result;            // a field the page writes (the user may still type into it)
};

struct CalculatorPageInfo {
  std::string_view caption;  // tab caption, blanks included
  std::span<const CalculatorFieldInfo> fields;
};

// " ROI  ", " CPC  ", " CPM  ".
std::span<const CalculatorPageInfo> calculatorPages();

enum class CalculatorPage { Roi = 0, Cpc = 1, Cpm = 2 };

}  // namespace larkspur::calculators
