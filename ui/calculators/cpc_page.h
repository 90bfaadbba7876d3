#pragma once
// The " CPC  " page: the most a click is worth paying, from the conversion
// ratio, the average profit and the share of the profit to spend.

#include "ui/calculators/calculator_page.h"

namespace larkspur::ui {

using CpcPage = CalculatorPageOf<calculators::CalculatorPage::Cpc>;

}  // namespace larkspur::ui
