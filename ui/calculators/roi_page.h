#pragma once
// The " ROI  " page: return and profit of a pay-per-click campaign from the
// cost per click, the conversion ratio, the average profit per sale and the
// total spend.

#include "ui/calculators/calculator_page.h"

namespace larkspur::ui {

using RoiPage = CalculatorPageOf<calculators::CalculatorPage::Roi>;

}  // namespace larkspur::ui
