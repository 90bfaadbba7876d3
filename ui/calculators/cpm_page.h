#pragma once
// The " CPM  " page: what a click really costs in a banner campaign bought
// per thousand impressions, from that price and the click ratio.

#include "ui/calculators/calculator_page.h"

namespace larkspur::ui {

using CpmPage = CalculatorPageOf<calculators::CalculatorPage::Cpm>;

}  // namespace larkspur::ui
