#pragma once
// The formulas behind each page of the calculator window, from
// calculators/ad_calculator.h.

#include <functional>
#include <string>
#include <vector>

#include "calculators/ad_calculator_pages.h"

namespace larkspur::ui {

// Rewrites the result texts among `texts` (every field's, in page order)
// after the input field at `changed` changed.
using PageFormulas = std::function<void(std::vector<std::string>& texts, int changed)>;

PageFormulas pageFormulas(calculators::CalculatorPage page);

}  // namespace larkspur::ui
